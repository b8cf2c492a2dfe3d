#pragma once

#include <QByteArray>

#include <optional>

// What a typed carriage return becomes under "CR = CR + LF" (addLf) and
// "CR = LF + CR" (addCr); addLf wins when both are on.
struct CrTranslation {
    QByteArray bytes; // sent to the line and, with local echo, shown
    bool showFirst = false; // shown before it is sent (LF CR) or after (CR LF)

    // Nothing when the character is left to the terminal as typed.
    static std::optional<CrTranslation> of(char typed, bool addLf, bool addCr);
};
