#include "CallTable.h"

#include <QFile>
#include <QRegularExpression>

namespace {

bool parseOutcome(const QString &text, CallOutcome *outcome)
{
    static const QHash<QString, CallOutcome::Kind> named = {
        {QStringLiteral("BUSY"), CallOutcome::Busy},
        {QStringLiteral("NO CARRIER"), CallOutcome::NoCarrier},
        {QStringLiteral("NO DIALTONE"), CallOutcome::NoDialtone},
        {QStringLiteral("NO ANSWER"), CallOutcome::NoAnswer},
        {QStringLiteral("ERROR"), CallOutcome::Error},
        {QStringLiteral("SILENT"), CallOutcome::Silent},
        {QStringLiteral("GARBAGE"), CallOutcome::Garbage},
    };
    const QString word = text.simplified().toUpper();
    if (named.contains(word)) {
        outcome->kind = named.value(word);
        return true;
    }
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = text.mid(colon + 1).trimmed().toUInt(&ok);
    if (colon <= 0 || !ok || port == 0 || port > 65535)
        return false;
    outcome->kind = CallOutcome::Connect;
    outcome->host = text.left(colon).trimmed();
    outcome->port = static_cast<quint16>(port);
    return true;
}

} // namespace

bool CallTable::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        Entry entry;
        if (space > 0) {
            for (const QString &part : line.mid(space).split(QLatin1Char(','))) {
                CallOutcome outcome;
                if (!parseOutcome(part, &outcome)) {
                    *error = QStringLiteral("%1:%2: bad outcome \"%3\"")
                                 .arg(path)
                                 .arg(lineNumber)
                                 .arg(part.trimmed());
                    return false;
                }
                entry.outcomes.append(outcome);
            }
        }
        if (entry.outcomes.isEmpty()) {
            *error = QStringLiteral("%1:%2: a number needs an outcome").arg(path).arg(lineNumber);
            return false;
        }
        entries_.insert(normalised(line.left(space)), entry);
    }
    return true;
}

CallOutcome CallTable::dial(const QString &dialString)
{
    const auto found = entries_.find(normalised(dialString));
    if (found == entries_.end())
        return {};
    Entry &entry = found.value();
    const int index = std::min(entry.dials++, static_cast<int>(entry.outcomes.size()) - 1);
    return entry.outcomes.at(index);
}

QString CallTable::normalised(const QString &dialString)
{
    QString digits;
    for (const QChar c : dialString)
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char(',')
            && c.toUpper() != QLatin1Char('W'))
            digits.append(c);
    return digits;
}
