#pragma once

#include <QString>

#include <exception>

// A script error by its number; the message shown to users comes from scriptErrorText.
struct ScriptError : std::exception {
    explicit ScriptError(int number)
        : number(number)
    { }
    const char *what() const noexcept override { return "script error"; }
    int number;
};

enum ScriptErrorNumber : int {
    NotACommand = 9901,
    BadFirstParameter = 9902,
    BadSecondParameter = 9903,
    UndefinedLabel = 9904,
    BadSetOption = 9905,
    TooManyWaitMultiTexts = 9906,
    CommandTooLong = 9908,
    BadWinsockPort = 9909,
    BadParity = 9910,
    BadDataBits = 9911,
    BadStopBits = 9912,
    DataTooLong = 9913,
};

QString scriptErrorText(int number);

// What PrepareScript raises; the message is "Bad statement at line: <n>".
class EScriptBadStatement : public std::exception {
public:
    explicit EScriptBadStatement(int line);
    const char *what() const noexcept override { return message_.constData(); }
    QString message() const { return QString::fromLatin1(message_); }

private:
    QByteArray message_;
};
