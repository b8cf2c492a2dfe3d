#pragma once

#include <QColor>

// The 16 terminal colours: black, red, green, yellow (brown on PCs), blue, magenta, cyan, white, then
// the same eight bright.
namespace TerminalPalette {

QColor colour(int index);

} // namespace TerminalPalette
