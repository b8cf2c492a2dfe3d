#include "script/ScriptText.h"

#include "comms/CaretNotation.h"
#include "script/ScriptError.h"

namespace ScriptText {

QString caretConverted(QStringView text)
{
    QString converted = CaretNotation::decodeEveryCaret(text);
    if (converted.size() > maxTextLength)
        throw ScriptError(CommandTooLong);
    return converted;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace ScriptText
