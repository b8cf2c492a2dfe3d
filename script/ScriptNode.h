#pragma once

#include <QString>

#include <cstdint>

// One parsed script line: what the interpreter needs to run it.
struct TScriptNode {
    std::uint8_t Command = 0;
    QString Data;
    QString Data2;
    QString Data3;
    std::uint8_t Option = 0;
    std::uint16_t Number = 0;
    std::int16_t Condition = 0;
    double TimeOfDay = 0.0; // fraction of a day
};
