#include "comms/transfer/ProtLog.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace {

// A received name comes from the remote side: its control characters are
// shown as "?" so that it cannot break or forge lines of the history.
QString printable(QString name)
{
    for (QChar &c : name)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    return name;
}

} // namespace

QString ProtLog::formatLine(const QDateTime &when, ProtocolType type, const FileOutcome &outcome)
{
    const QLocale locale = QLocale::system();
    return QStringLiteral("%1 %2  %3  %4  %5  %6  %7 cps  %8")
        .arg(locale.toString(when.date(), QLocale::ShortFormat),
            locale.toString(when.time(), QLocale::LongFormat), protocolName(type),
            outcome.sending ? QStringLiteral("send") : QStringLiteral("receive"), printable(outcome.fileName))
        .arg(outcome.size >= 0 ? outcome.size : outcome.bytesTransferred)
        .arg(outcome.bytesPerSecond)
        .arg(outcome.result == TransferResult::Success
                ? QStringLiteral("OK")
                : QStringLiteral("%1 (code %2)").arg(transferResultText(outcome.result)).arg(outcome.result));
}

void ProtLog::record(ProtocolType type, const FileOutcome &outcome) const
{
    if (fileName_.isEmpty())
        return;
    QFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    file.write(formatLine(QDateTime::currentDateTime(), type, outcome).toUtf8() + '\n');
}
