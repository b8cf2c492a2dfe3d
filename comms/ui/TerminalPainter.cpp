#include "comms/ui/TerminalPainter.h"

#include "comms/screen/ScreenModel.h"
#include "comms/terminal/TextSelection.h"
#include "comms/ui/TerminalPalette.h"

#include <QPainter>

namespace {

struct CellLook {
    int fg;
    int bg;
    bool underline;
    bool operator==(const CellLook &) const = default;
};

CellLook lookOf(const ScreenCell &cell, bool reverseScreen, bool selected, bool blinkOn)
{
    CellLook look{cell.fg & 15, cell.bg & 15, (cell.flags & CellUnderline) != 0};
    if (bool(cell.flags & CellReverse) != reverseScreen)
        std::swap(look.fg, look.bg);
    if (selected)
        std::swap(look.fg, look.bg);
    if ((cell.flags & CellInvisible) || ((cell.flags & CellBlink) && !blinkOn)) {
        look.fg = look.bg;
        look.underline = false;
    }
    return look;
}

} // namespace

void TerminalPainter::paint(QPainter &painter, const QRect &exposed) const
{
    const int background = screen.reverseScreen() ? screen.defaultForeground() : screen.defaultBackground();
    painter.fillRect(exposed, TerminalPalette::colour(background));
    painter.setFont(font);
    const int firstRow = qMax(0, exposed.top() / cell.height());
    const int lastRow = qMin(rows - 1, exposed.bottom() / cell.height());
    for (int row = firstRow; row <= lastRow; ++row)
        paintRow(painter, row);
    paintCursor(painter);
}

void TerminalPainter::paintRow(QPainter &painter, int row) const
{
    const int index = viewTop + row;
    if (index < 0 || index >= screen.bufferLineCount())
        return;
    const ScreenLine &line = screen.line(index);
    const int count = int(line.cells.size());
    const int top = row * cell.height();

    // Double-size rows draw their left half with glyphs twice as wide (and, for double height, twice
    // as tall, showing the top or bottom half), one glyph per cell pair so they stay on the grid.
    const bool normal = line.size == LineSize::Normal;
    const int scale = normal ? 1 : 2;
    int baseline = top + painter.fontMetrics().ascent();
    painter.save();
    if (!normal) {
        QFont wide = font;
        if (line.size == LineSize::DoubleWidth) {
            wide.setStretch(200);
        } else {
            wide.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() * 2 : cell.height() * 2);
            wide.setLetterSpacing(QFont::AbsoluteSpacing, 0);
            baseline = top + QFontMetrics(wide).ascent();
            if (line.size == LineSize::DoubleHeightBottom)
                baseline -= cell.height();
        }
        painter.setFont(wide);
        painter.setClipRect(0, top, count * cell.width(), cell.height());
    }

    const int drawn = normal ? count : (count + 1) / 2;
    int column = 0;
    while (column < drawn) {
        const CellLook look
            = lookOf(line.cells[column], screen.reverseScreen(), selection.contains(index, column), blinkOn);
        // A run of cells that look alike; characters outside ASCII are drawn one by one so that a
        // glyph from a fallback font cannot push the rest of the row off the grid.
        int end = column + 1;
        const bool ascii = normal && line.cells[column].ch < 0x80;
        while (ascii && end < drawn && line.cells[end].ch < 0x80
            && lookOf(line.cells[end], screen.reverseScreen(), selection.contains(index, end), blinkOn)
                == look)
            ++end;
        const QRect box(
            column * scale * cell.width(), top, (end - column) * scale * cell.width(), cell.height());
        painter.fillRect(box, TerminalPalette::colour(look.bg));
        QString text;
        for (int i = column; i < end; ++i) {
            const char32_t ch = line.cells[i].ch;
            text += ch > U' ' ? QString::fromUcs4(&ch, 1) : QStringLiteral(" ");
        }
        if (look.fg != look.bg && !text.trimmed().isEmpty()) {
            painter.setPen(TerminalPalette::colour(look.fg));
            painter.drawText(box.left(), baseline, text);
        }
        if (look.underline) {
            painter.fillRect(
                box.left(), top + cell.height() - 1, box.width(), 1, TerminalPalette::colour(look.fg));
        }
        column = end;
    }
    painter.restore();
}

void TerminalPainter::paintCursor(QPainter &painter) const
{
    const int row = screen.firstVisibleLine() + screen.cursorRow() - viewTop;
    if (!screen.cursorVisible() || row < 0 || row >= rows)
        return;
    const int column = qMin(screen.cursorColumn(), screen.columns() - 1);
    const ScreenCell &under = screen.cell(screen.cursorRow(), column);
    const CellLook look = lookOf(under, screen.reverseScreen(), false, true);
    const int scale = screen.pageLine(screen.cursorRow()).size == LineSize::Normal ? 1 : 2;
    const QRect box(column * scale * cell.width(), row * cell.height(), scale * cell.width(), cell.height());
    if (!focused) {
        painter.setPen(TerminalPalette::colour(look.fg));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        return;
    }
    if (!blinkOn)
        return;
    painter.fillRect(box, TerminalPalette::colour(look.fg));
    if (under.ch > U' ') {
        painter.setPen(TerminalPalette::colour(look.bg));
        painter.drawText(
            box.left(), box.top() + painter.fontMetrics().ascent(), QString::fromUcs4(&under.ch, 1));
    }
}
