#include "comms/transfer/ProtLog.h"

#include "comms/transfer/PrintableName.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace {

// The name the sender gave, and beside it the name the file was stored under
// when that differs.
QString names(const FileOutcome &outcome)
{
    const QString given = printableName(outcome.fileName);
    if (outcome.storedName.isEmpty() || outcome.storedName == outcome.fileName)
        return given;
    return QStringLiteral("%1 (stored as %2)").arg(given, printableName(outcome.storedName));
}

} // namespace

QString ProtLog::formatLine(const QDateTime &when, ProtocolType type, const FileOutcome &outcome)
{
    const QLocale locale = QLocale::system();
    return QStringLiteral("%1 %2  %3  %4  %5  %6  %7 cps  %8")
        .arg(locale.toString(when.date(), QLocale::ShortFormat),
            locale.toString(when.time(), QLocale::LongFormat), protocolName(type),
            outcome.sending ? QStringLiteral("send") : QStringLiteral("receive"), names(outcome))
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
