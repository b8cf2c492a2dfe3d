#include "comms/transfer/xmodem/YmodemHeader.h"

#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/xmodem/XmodemBlock.h"

#include <QFile>
#include <QList>

QByteArray YmodemHeader::encode() const
{
    QByteArray fields = QByteArray::number(qMax<qint64>(size, 0));
    if (modified.isValid())
        fields += ' ' + QByteArray::number(modified.toSecsSinceEpoch(), 8);
    if (modified.isValid() && mode >= 0)
        fields += ' ' + QByteArray::number(0100000 | (mode & 07777), 8);
    QByteArray wireName = QFile::encodeName(name);
    const qsizetype room = Xmodem::longBlock - fields.size() - 2;
    if (wireName.size() > room)
        wireName.truncate(room);
    QByteArray data = wireName + '\0' + fields + '\0';
    const int blockSize = data.size() <= Xmodem::shortBlock ? Xmodem::shortBlock : Xmodem::longBlock;
    data.append(blockSize - data.size(), '\0');
    return data;
}

YmodemHeader YmodemHeader::parse(const QByteArray &data)
{
    YmodemHeader header;
    const qsizetype nameEnd = data.indexOf('\0');
    const QByteArray rawName = nameEnd < 0 ? data : data.left(nameEnd);
    header.name = IncomingFile::decodeRemoteName(rawName);
    if (nameEnd < 0 || header.name.isEmpty())
        return header;
    qsizetype fieldsEnd = data.indexOf('\0', nameEnd + 1);
    if (fieldsEnd < 0)
        fieldsEnd = data.size();
    const QList<QByteArray> fields = data.mid(nameEnd + 1, fieldsEnd - nameEnd - 1).simplified().split(' ');
    bool ok = false;
    if (!fields.isEmpty()) {
        const qint64 size = fields[0].toLongLong(&ok, 10);
        if (ok && size >= 0)
            header.size = size;
    }
    if (fields.size() > 1) {
        const qint64 seconds = fields[1].toLongLong(&ok, 8);
        if (ok && seconds > 0)
            header.modified = QDateTime::fromSecsSinceEpoch(seconds);
    }
    if (fields.size() > 2) {
        const int mode = fields[2].toInt(&ok, 8);
        if (ok && mode >= 0)
            header.mode = mode & 0777;
    }
    return header;
}
