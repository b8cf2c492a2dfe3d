#pragma once

#include <QtGlobal>

#include <vector>

// Attribute bits of a character cell.
enum CellFlag : quint8 {
    CellBold = 0x01,
    CellUnderline = 0x02,
    CellBlink = 0x04,
    CellReverse = 0x08,
    CellInvisible = 0x10,
    // Protected from selective erase (DECSCA).
    CellProtected = 0x20,
};

// Colours are numbered 0-15: black, red, green, yellow, blue, magenta, cyan,
// white, then the same eight bright. A bold cell's foreground is already the
// bright variant; the Bold bit is kept for painters that also embolden.
struct ScreenCell {
    char32_t ch = U' ';
    quint8 fg = 7;
    quint8 bg = 0;
    quint8 flags = 0;
    quint8 reserved = 0;

    bool operator==(const ScreenCell &) const = default;
};

// How a row is drawn: double-width rows use only the left half of their
// cells, double-height rows are drawn as a top and a bottom half.
enum class LineSize : quint8 { Normal, DoubleWidth, DoubleHeightTop, DoubleHeightBottom };

struct ScreenLine {
    std::vector<ScreenCell> cells;
    LineSize size = LineSize::Normal;
    // The text ran on into the next row by autowrap.
    bool wrapped = false;
};
