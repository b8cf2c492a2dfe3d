#include "script/ScriptError.h"

QString scriptErrorText(int number)
{
    switch (number) {
    case NotACommand:
        return QStringLiteral("Not a valid script command");
    case BadFirstParameter:
        return QStringLiteral("Bad format for first parameter\ror first parameter missing");
    case BadSecondParameter:
        return QStringLiteral("Bad format for second parameter\ror second parameter missing");
    case UndefinedLabel:
        return QStringLiteral("Label is referenced but never defined");
    case BadSetOption:
        return QStringLiteral("Bad option in SET command");
    case TooManyWaitMultiTexts:
        return QStringLiteral("Too many strings in WaitMulti command");
    case CommandTooLong:
        return QStringLiteral("Command string too long");
    case BadWinsockPort:
        return QStringLiteral("Winsock port number bad");
    case BadParity:
        return QStringLiteral("Bad parity value");
    case BadDataBits:
        return QStringLiteral("Bad Data bits value");
    case BadStopBits:
        return QStringLiteral("Bad stop bits value");
    case DataTooLong:
        return QStringLiteral("Data too long");
    default:
        return QStringLiteral("DOS error %1 while processing script").arg(number);
    }
}

EScriptBadStatement::EScriptBadStatement(int line)
    : message_("Bad statement at line: " + QByteArray::number(line))
{ }
