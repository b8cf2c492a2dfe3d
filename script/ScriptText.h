#pragma once

#include <QString>

#include <optional>

// Small text rules shared by the script parser and evaluator.
namespace ScriptText {

// Longest word, caret-converted text or expression term.
constexpr qsizetype maxTextLength = 128;

// Caret conversion of a script text; longer than maxTextLength afterwards raises 9908.
QString caretConverted(QStringView text);
// The text enclosed in single quotes.
QString quoted(const QString &text);
// A whole number with an optional sign; nothing for an empty or non-numeric text.
std::optional<int> wholeNumber(const QString &text);

} // namespace ScriptText
