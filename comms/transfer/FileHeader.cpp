#include "comms/transfer/FileHeader.h"

#include "comms/transfer/IncomingFile.h"

#include <QList>

FileHeader FileHeader::parse(const QByteArray &data)
{
    FileHeader header;
    const qsizetype nameEnd = data.indexOf('\0');
    header.name = IncomingFile::decodeRemoteName(nameEnd < 0 ? data : data.left(nameEnd));
    if (nameEnd < 0 || header.name.isEmpty())
        return header;
    qsizetype fieldsEnd = data.indexOf('\0', nameEnd + 1);
    if (fieldsEnd < 0)
        fieldsEnd = data.size();
    const QList<QByteArray> fields = data.mid(nameEnd + 1, fieldsEnd - nameEnd - 1).simplified().split(' ');
    bool ok = false;
    const qint64 size = fields[0].toLongLong(&ok, 10);
    if (ok && size >= 0)
        header.size = size;
    if (fields.size() > 1) {
        const qint64 seconds = fields[1].toLongLong(&ok, 8);
        if (ok && seconds > 0)
            header.modified = QDateTime::fromSecsSinceEpoch(seconds);
    }
    if (fields.size() > 2) {
        const int mode = fields[2].toInt(&ok, 8);
        if (ok && (mode & 0777) != 0)
            header.mode = mode & 0777;
    }
    return header;
}

IncomingOffer FileHeader::offer() const
{
    IncomingOffer offer;
    offer.remoteName = name;
    offer.size = size;
    offer.modified = modified;
    offer.mode = mode;
    return offer;
}

QByteArray FileHeader::encode(int minFields, qsizetype maxBytes) const
{
    QList<QByteArray> fields{QByteArray::number(qMax<qint64>(size, 0))};
    const bool timeKnown = modified.isValid() && modified.toSecsSinceEpoch() > 0;
    if (timeKnown || minFields > 1)
        fields << QByteArray::number(timeKnown ? modified.toSecsSinceEpoch() : 0, 8);
    if ((timeKnown && mode >= 0) || minFields > 2)
        fields << QByteArray::number(mode >= 0 ? 0100000 | (mode & 07777) : 0, 8);
    while (fields.size() < minFields)
        fields << QByteArray("0");
    const QByteArray text = fields.join(' ');
    QByteArray wireName = name.toUtf8();
    qsizetype room = qMax<qsizetype>(0, maxBytes - text.size() - 2);
    if (wireName.size() > room) {
        // Cut between characters, not inside one.
        while (room > 0 && (static_cast<quint8>(wireName.at(room)) & 0xc0) == 0x80)
            --room;
        wireName.truncate(room);
    }
    return wireName + '\0' + text + '\0';
}
