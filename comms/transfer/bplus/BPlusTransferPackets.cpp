#include "comms/transfer/bplus/BPlusTransferPackets.h"

#include "comms/transfer/TransferTypes.h"

#include <QList>

namespace BPlus {

namespace {

QList<QByteArray> fields(const QByteArray &text)
{
    return text.simplified().split(' ');
}

qint64 number(const QByteArray &field, bool *ok)
{
    const qint64 value = field.toLongLong(ok);
    *ok = *ok && value >= 0;
    return value;
}

} // namespace

QByteArray encodeTransferRequest(const TransferRequest &request)
{
    QByteArray body;
    body.append(request.function);
    body.append(request.dataType);
    body.append(request.name);
    return body;
}

TransferRequest decodeTransferRequest(const QByteArray &body)
{
    TransferRequest request;
    request.function = body.isEmpty() ? 0 : body[0];
    request.dataType = body.size() > 1 ? body[1] : 'B';
    request.name = body.mid(2);
    return request;
}

QByteArray encodeResumeOffer(const ResumeOffer &offer)
{
    return "r" + QByteArray::number(offer.length) + ' ' + QByteArray::number(offer.crc);
}

bool decodeResumeOffer(const QByteArray &body, ResumeOffer *offer)
{
    if (!body.startsWith('r'))
        return false;
    const QList<QByteArray> parts = fields(body.mid(1));
    if (parts.size() < 2)
        return false;
    bool lengthOk = false;
    bool crcOk = false;
    const qint64 length = number(parts[0], &lengthOk);
    const qint64 crc = number(parts[1], &crcOk);
    if (!lengthOk || !crcOk || crc > 0xffff)
        return false;
    offer->length = length;
    offer->crc = static_cast<quint16>(crc);
    return true;
}

QByteArray encodeFileInfo(const FileInfo &info, const QByteArray &name)
{
    // Dates go as UTC (zone offset 0): yyyymmdd and seconds since midnight.
    const QDateTime utc = info.modified.isValid() ? info.modified.toUTC() : QDateTime();
    const QByteArray date = utc.isValid() ? utc.date().toString(QStringLiteral("yyyyMMdd")).toLatin1() : "0";
    const QByteArray time
        = utc.isValid() ? QByteArray::number(utc.time().msecsSinceStartOfDay() / 1000) : "0";
    const QByteArray shortName = name.left(255);
    QByteArray body("I");
    body.append(info.dataType);
    body.append('\0'); // not compressed
    body.append(QByteArray::number(qMax<qint64>(0, info.length)) + " 0 " + date + ' ' + time + ' ' + date
        + ' ' + time + ' ');
    body.append(static_cast<char>(shortName.size()));
    body.append(shortName);
    return body;
}

FileInfo decodeFileInfo(const QByteArray &body)
{
    FileInfo info;
    if (body.size() < 3 || body[0] != 'I')
        return info;
    info.dataType = body[1];
    const QList<QByteArray> parts = fields(body.mid(3, 80));
    bool ok = false;
    if (!parts.isEmpty()) {
        const qint64 length = number(parts[0], &ok);
        if (ok)
            info.length = length;
    }
    if (parts.size() >= 6) {
        bool zoneOk = false;
        bool timeOk = false;
        const qint64 zone = parts[1].toLongLong(&zoneOk);
        const QDate date = QDate::fromString(QString::fromLatin1(parts[4]), QStringLiteral("yyyyMMdd"));
        const qint64 seconds = number(parts[5], &timeOk);
        if (zoneOk && timeOk && date.isValid() && seconds < 86400 && qAbs(zone) <= 24 * 60)
            info.modified
                = QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)), Qt::UTC).addSecs(zone * 60);
    }
    return info;
}

QByteArray encodeFailure(char code, const QString &text)
{
    QByteArray body(1, code);
    for (const QChar c : text)
        body.append(c.unicode() >= 0x20 && c.unicode() < 0x7f ? static_cast<char>(c.unicode()) : '?');
    return body;
}

int resultForFailure(char code)
{
    switch (code) {
    case 'A':
        return TransferResult::CancelledByRemote;
    case 'C':
        return TransferResult::DiskFull;
    case 'M':
        return TransferResult::FileNotFound;
    default:
        return TransferResult::ProtocolError;
    }
}

char failureForResult(int result)
{
    switch (result) {
    case TransferResult::CancelledLocally:
        return 'A';
    case TransferResult::DiskFull:
        return 'C';
    case TransferResult::CannotWrite:
    case TransferResult::CannotCreate:
        return 'I';
    case TransferResult::FileNotFound:
        return 'M';
    default:
        return 'E';
    }
}

QString failureText(const QByteArray &body)
{
    QString text;
    for (const char c : body.mid(1, 200))
        if (c >= 0x20 && c < 0x7f)
            text.append(QLatin1Char(c));
    return text;
}

} // namespace BPlus
