#pragma once

#include <QFont>
#include <QSize>

// Terminal fonts. The face "Terminal" is the program's own fixed-pitch font with code page 437
// coverage (bundled DejaVu Sans Mono, loaded for this process only); other faces are asked of the
// system as fixed pitch.
namespace TerminalFont {

// "Terminal" at 12 pixels, the terminal's initial font.
QFont initial();
// The font to paint with for a requested face, size and style.
QFont resolve(const QFont &requested);
// Character cell size in pixels.
QSize cellSize(const QFont &font);

} // namespace TerminalFont
