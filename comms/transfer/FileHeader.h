#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct IncomingOffer;

// The file description that Ymodem's block 0 and Zmodem's ZFILE subpacket
// both carry: the name, NUL, then "size mtime mode ..." (size in decimal,
// seconds since 1970 and the mode in octal), NUL. Fields that are missing or
// unreadable stay unknown; an mtime or mode of 0 means unknown.
struct FileHeader {
    QString name;
    qint64 size = -1;
    QDateTime modified;
    int mode = -1;

    static FileHeader parse(const QByteArray &data);
    IncomingOffer offer() const;

    // At least minFields fields, unknown ones as 0 (Zmodem peers expect
    // "size mtime mode serial files-left bytes-left"); beyond them only
    // what is known. A name that would make the result longer than
    // maxBytes is cut.
    QByteArray encode(int minFields, qsizetype maxBytes) const;
};
