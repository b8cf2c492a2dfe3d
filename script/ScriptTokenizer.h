#pragma once

#include "script/ScriptTables.h"

#include <QString>

// A script line cut into its command and up to three parameters.
struct ScriptLineTokens {
    ScriptTables::Command code = ScriptTables::Comment;
    QString command; // the first word, upper-cased
    QString p1;
    QString p2;
    QString p3;
};

// Longest line the parser reads.
constexpr qsizetype maxScriptLineLength = 255;

// Raises ScriptError 9901 for an unknown command word, 9908 for a word over 128 characters or a
// line over maxScriptLineLength. Empty lines, lines of separators (blanks, commas, characters
// above 127) and comments give code Comment; other lines with an empty first word raise 9901.
ScriptLineTokens tokenizeScriptLine(const QString &line);
