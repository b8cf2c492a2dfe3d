#pragma once

#include "script/ScriptNode.h"
#include "script/ScriptTokenizer.h"
#include "script/ScriptVars.h"

#include <optional>

// The record for one tokenized line (nothing for a comment or empty line), with the line's
// parse-time checks; raises ScriptError. A SET of a variable adds the variable to vars.
std::optional<TScriptNode> parseScriptLine(const ScriptLineTokens &tokens, Tvarlist &vars);

// A time of day written as the system's short or long time format, or as H:mm[:ss] with an
// optional AM/PM, as a fraction of a day; nothing when unreadable.
std::optional<double> scriptTimeOfDay(const QString &text);
