#include "shell/ProcessClock.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <ctime>
#include <unistd.h>

qint64 msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold blanks: fields count from after it.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 22 of the file, the start time in clock ticks since boot, is the
    // 20th after the command name.
    constexpr int startTimeField = 19;
    bool ok = false;
    const qint64 startTicks = fields.value(startTimeField).toLongLong(&ok);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (!ok || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - startTicks * 1000 / ticksPerSecond;
}
