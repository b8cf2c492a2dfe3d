#include "script/ScriptLineParser.h"

#include "script/ScriptError.h"
#include "script/ScriptText.h"

#include <QLocale>
#include <QTime>

using namespace ScriptTables;
using ScriptText::quoted;
using ScriptText::wholeNumber;

namespace {

constexpr qsizetype maxWaitLength = 21;
constexpr qsizetype maxWaitMultiTexts = 40;

std::uint16_t ticks(const QString &text, int error)
{
    const std::optional<int> number = wholeNumber(text);
    if (!number)
        throw ScriptError(error);
    return std::uint16_t(*number);
}

void requireFirst(const QString &p1)
{
    if (p1.isEmpty())
        throw ScriptError(BadFirstParameter);
}

void checkComPort(const QString &p1)
{
    if (!p1.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        throw ScriptError(BadFirstParameter);
    const std::optional<int> number = wholeNumber(p1.mid(3));
    if (!number || *number < 1 || *number > 255)
        throw ScriptError(BadFirstParameter);
}

std::int16_t ifCondition(const QString &p1)
{
    const std::int16_t keyword = conditionCode(p1.toUpper());
    if (keyword != 0)
        return keyword;
    const std::optional<int> number = wholeNumber(p1);
    // A number that wraps to 0 would match the state before any wait: refuse it like 0.
    if (!number || std::int16_t(*number) == 0)
        throw ScriptError(BadFirstParameter);
    return std::int16_t(*number);
}

void parseSet(const ScriptLineTokens &tokens, TScriptNode &node, Tvarlist &vars)
{
    const QString word = tokens.p1.toUpper();
    node.Option = setOption(word);
    switch (node.Option) {
    case Retry:
        node.Number = ticks(tokens.p2, BadSecondParameter);
        break;
    case Directory:
    case FileMask:
    case FileName:
        node.Data = tokens.p2.toUpper();
        break;
    case ZSkipNoFile:
    case AbortNoCarrier: {
        const QString value = tokens.p2.toUpper();
        if (value == QLatin1String("TRUE") || value == QLatin1String("ON"))
            node.Data = QStringLiteral("T");
        else if (value == QLatin1String("FALSE") || value == QLatin1String("OFF"))
            node.Data = QStringLiteral("F");
        else
            throw ScriptError(BadSecondParameter);
        break;
    }
    case Result1:
    case Result2:
    case ConfigFile:
        node.Data = tokens.p2;
        break;
    case Variable:
        node.Data = tokens.p1;
        node.Data2 = tokens.p2;
        vars.add(tokens.p1);
        break;
    default:
        break;
    }
}

} // namespace

std::optional<double> scriptTimeOfDay(const QString &text)
{
    const QLocale locale = QLocale::system();
    QTime time = locale.toTime(text, QLocale::ShortFormat);
    if (!time.isValid())
        time = locale.toTime(text, QLocale::LongFormat);
    for (const char *format : {"H:m:s", "H:m", "h:m:s AP", "h:m AP", "h:m:sAP", "h:mAP"}) {
        if (time.isValid())
            break;
        time = QTime::fromString(text.trimmed(), QLatin1String(format));
    }
    if (!time.isValid())
        return std::nullopt;
    return time.msecsSinceStartOfDay() / 86400000.0;
}

std::optional<TScriptNode> parseScriptLine(const ScriptLineTokens &tokens, Tvarlist &vars)
{
    if (tokens.code == Comment)
        return std::nullopt;
    TScriptNode node;
    node.Command = tokens.code;
    const QString &p1 = tokens.p1;
    const QString &p2 = tokens.p2;
    const QString &p3 = tokens.p3;
    switch (tokens.code) {
    case Label:
        node.Data = tokens.command.mid(1);
        break;
    case InitPort:
        checkComPort(p1);
        node.Data = p1;
        node.Data2 = p2;
        break;
    case Send:
        node.Data = quoted(ScriptText::caretConverted(p1));
        break;
    case Wait:
        if (p1.size() > maxWaitLength)
            throw ScriptError(DataTooLong);
        node.Data = quoted(p1);
        node.Number = ticks(p2, BadSecondParameter);
        break;
    case WaitMulti:
        node.Data = quoted(p1.toUpper());
        node.Number = ticks(p2, BadSecondParameter);
        if (p1.count(u'|') + 1 > maxWaitMultiTexts)
            throw ScriptError(TooManyWaitMultiTexts);
        break;
    case If:
        node.Condition = ifCondition(p1);
        node.Data = p2.toUpper();
        break;
    case Display:
        node.Data = ScriptText::caretConverted(p1);
        break;
    case Goto:
        node.Data = p1.toUpper();
        break;
    case SendBreak:
    case Delay:
        node.Number = ticks(p1, BadSecondParameter);
        break;
    case Set:
        parseSet(tokens, node, vars);
        break;
    case Upload:
    case Download:
        if (protocolNumber(p1.toUpper()) == 0)
            throw ScriptError(BadSecondParameter);
        node.Data = quoted(p1.toUpper());
        break;
    case ExecFile:
    case Capture:
    case CaptureFile:
        requireFirst(p1);
        node.Data = quoted(p1.toUpper());
        break;
    case ChDir:
    case Delete:
    case SendFile:
    case PlaySound:
    case Print:
        node.Data = quoted(p1.toUpper());
        break;
    case WaitForTime: {
        const std::optional<double> time = scriptTimeOfDay(p1);
        if (!time)
            throw ScriptError(BadSecondParameter);
        node.TimeOfDay = *time;
        break;
    }
    case OpenClient:
    case Compare:
        node.Data = quoted(p1);
        node.Data2 = p2;
        break;
    case Parity:
        node.Data = p1.toUpper();
        if (!QStringList{"EVEN", "ODD", "MARK", "SPACE", "NONE"}.contains(node.Data))
            throw ScriptError(BadParity);
        break;
    case DataBits: {
        const int bits = wholeNumber(p1).value_or(0);
        if (bits < 5 || bits > 8)
            throw ScriptError(BadDataBits);
        node.Data = p1;
        break;
    }
    case StopBits: {
        const int bits = wholeNumber(p1).value_or(-1);
        if (bits != 1 && bits != 2)
            throw ScriptError(BadStopBits);
        node.Data = p1;
        break;
    }
    case FileCopy:
        node.Data = quoted(p1);
        node.Data2 = quoted(p2);
        node.Data3 = p3.toUpper();
        break;
    case Input:
        node.Data = quoted(p1);
        node.Data2 = quoted(p2);
        node.Data3 = quoted(p3);
        break;
    case ReadConfig:
    case WriteConfig:
        node.Data = p1;
        node.Data2 = p2;
        node.Data3 = p3;
        break;
    default:
        break;
    }
    return node;
}
