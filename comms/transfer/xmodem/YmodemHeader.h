#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Block 0 of a Ymodem batch: the file name, then "size mtime mode serial"
// (size decimal, time in seconds since 1970 and mode in octal). A block
// whose name is empty ends the batch.
struct YmodemHeader {
    QString name;
    qint64 size = -1;
    QDateTime modified;
    int mode = -1;

    bool endOfBatch() const { return name.isEmpty(); }

    // The data of block 0: 128 bytes when it fits, else 1024 (a longer name is cut).
    QByteArray encode() const;
    static YmodemHeader parse(const QByteArray &data);
};
