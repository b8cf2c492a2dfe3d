#pragma once

#include "script/ScriptVars.h"

#include <QDateTime>
#include <QString>

#include <functional>

// Evaluates stored script texts: terms joined together, "@" functions and variables replaced.
class ScriptEvaluator {
public:
    // Shows an input box and returns what the user entered.
    using InputPrompt
        = std::function<QString(const QString &caption, const QString &prompt, const QString &defaultText)>;
    using Clock = std::function<QDateTime()>;

    // The @INPUT function writes the answer to lastInput; without a prompt it yields the default text.
    ScriptEvaluator(const Tvarlist &vars, QString &lastInput);

    void setInputPrompt(InputPrompt prompt) { prompt_ = std::move(prompt); }
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // Raises ScriptError 9908 for a term over 128 characters after caret conversion.
    QString evaluate(const QString &text) const;

private:
    const Tvarlist &vars_;
    QString &lastInput_;
    InputPrompt prompt_;
    Clock clock_;
};
