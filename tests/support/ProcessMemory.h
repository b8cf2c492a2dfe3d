#pragma once

#include <QFile>
#include <QList>

// This process's resident memory in KB (VmRSS), or -1 when unknown: a
// figure for memory ceilings in tests.
inline qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}
