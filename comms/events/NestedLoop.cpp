#include "comms/events/NestedLoop.h"

#include <limits>

NestedLoop::NestedLoop(QObject *owner)
    : owner_(owner)
{
    timeout_.setSingleShot(true);
    timeout_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout_, &QTimer::timeout, &loop_, &QEventLoop::quit);
    QObject::connect(owner, &QObject::destroyed, &loop_, &QEventLoop::quit);
}

bool NestedLoop::run(qint64 timeoutMs)
{
    if (!owner_)
        return false;
    if (timeoutMs >= 0)
        timeout_.start(static_cast<int>(qMin<qint64>(timeoutMs, std::numeric_limits<int>::max())));
    loop_.exec();
    timeout_.stop();
    return !owner_.isNull();
}
