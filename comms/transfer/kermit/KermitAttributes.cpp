#include "comms/transfer/kermit/KermitAttributes.h"

#include "comms/transfer/kermit/KermitPacket.h"

#include <limits>

namespace {

void appendAttribute(QByteArray &out, char tag, const QByteArray &value)
{
    out.append(tag);
    out.append(Kermit::toChar(static_cast<int>(value.size())));
    out.append(value);
}

QDateTime parseDate(const QByteArray &value)
{
    // [yy]yymmdd[ hh:mm[:ss]], local time.
    const QString text = QString::fromLatin1(value).trimmed();
    const QString day = text.section(QLatin1Char(' '), 0, 0);
    const QString time = text.section(QLatin1Char(' '), 1, 1);
    QDate date = QDate::fromString(day, QStringLiteral("yyyyMMdd"));
    if (!date.isValid() && day.size() == 6)
        date = QDate::fromString(QStringLiteral("19") + day, QStringLiteral("yyyyMMdd"));
    if (!date.isValid())
        return {};
    QTime clock = QTime::fromString(time, QStringLiteral("HH:mm:ss"));
    if (!clock.isValid())
        clock = QTime::fromString(time, QStringLiteral("HH:mm"));
    return QDateTime(date, clock.isValid() ? clock : QTime(0, 0));
}

} // namespace

QByteArray KermitAttributes::encode() const
{
    QByteArray out;
    appendAttribute(out, '"', text ? QByteArray("AMJ") : QByteArray("B8"));
    if (size >= 0) {
        appendAttribute(out, '!', QByteArray::number((size + 1023) / 1024));
        appendAttribute(out, '1', QByteArray::number(size));
    }
    if (modified.isValid())
        appendAttribute(
            out, '#', modified.toLocalTime().toString(QStringLiteral("yyyyMMdd HH:mm:ss")).toLatin1());
    if (disposition)
        appendAttribute(out, '+', QByteArray(1, disposition));
    return out;
}

KermitAttributes KermitAttributes::decode(const QByteArray &data)
{
    KermitAttributes a;
    qsizetype i = 0;
    while (i + 1 < data.size()) {
        const char tag = data[i];
        const int length = Kermit::unChar(data[i + 1]);
        if (length < 0 || i + 2 + length > data.size())
            break;
        const QByteArray value = data.mid(i + 2, length);
        i += 2 + length;
        bool ok = false;
        switch (tag) {
        case '1':
            if (const qint64 n = value.toLongLong(&ok); ok && n >= 0) {
                a.size = n;
                a.exactSize = true;
            }
            break;
        case '!':
            if (const qint64 k = value.toLongLong(&ok);
                ok && k >= 0 && k <= std::numeric_limits<qint64>::max() / 1024 && !a.exactSize)
                a.size = k * 1024;
            break;
        case '#':
            a.modified = parseDate(value);
            break;
        case '"':
            a.text = value.startsWith('A');
            break;
        case '+':
            if (!value.isEmpty())
                a.disposition = value[0];
            break;
        default:
            break;
        }
    }
    return a;
}
