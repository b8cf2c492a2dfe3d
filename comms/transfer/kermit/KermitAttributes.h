#pragma once

#include <QByteArray>
#include <QDateTime>

// The file attributes carried in an A packet.
struct KermitAttributes {
    qint64 size = -1;
    bool exactSize = false; // size in bytes, not rounded kilobytes
    QDateTime modified;
    bool text = false;
    char disposition = 0; // '+' attribute; 0 when absent

    QByteArray encode() const;
    static KermitAttributes decode(const QByteArray &data);
};
