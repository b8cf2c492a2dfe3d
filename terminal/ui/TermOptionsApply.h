#pragma once

#include "terminal/TermOptions.h"

#include <QFont>

class Terminal;

// The font the options ask for: face, then size, then the height, which wins.
QFont termOptionsFont(const TermOptions &options);
// Takes face, size, height and style from a chosen font.
void takeFont(TermOptions &options, const QFont &font);
// Gives the terminal the options' font, emulation, doorway and page size (the window holds the colours).
void applyTermOptions(const TermOptions &options, Terminal &terminal);
// The values the terminal holds now (font size, emulation, doorway, rows and
// columns), for saving.
void takeTerminalState(TermOptions &options, const Terminal &terminal);
