#pragma once

#include "comms/events/HandlerChain.h"

#include <QEventLoop>
#include <QList>
#include <QTimer>
#include <QVariant>

#include <type_traits>

// Records every event of a chain as a watcher, the way QSignalSpy records a
// signal: one list of arguments per event.
template <typename... Args> class ChainSpy : public QList<QList<QVariant>> {
public:
    explicit ChainSpy(HandlerChain<Args...> &chain)
        : registration_(chain.attach(HandlerStage::Watchers, [this](Args... args) {
            append(QList<QVariant>{QVariant::fromValue(std::decay_t<Args>(args))...});
            if (loop_)
                loop_->quit();
            return false;
        }))
    { }

    // Waits for one more event; false when none came within the time.
    bool wait(int timeoutMs = 5000)
    {
        const qsizetype before = size();
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        loop_ = nullptr;
        return size() > before;
    }

private:
    QEventLoop *loop_ = nullptr;
    HandlerRegistration registration_;
};
