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

    painter.save();
    // Double-size rows draw their left half at twice the size.
    if (line.size != LineSize::Normal) {
        painter.setClipRect(0, top, count * cell.width(), cell.height());
        painter.translate(0, top);
        if (line.size == LineSize::DoubleWidth) {
            painter.scale(2, 1);
        } else {
            painter.scale(2, 2);
            if (line.size == LineSize::DoubleHeightBottom)
                painter.translate(0, -cell.height() / 2.0);
        }
        painter.translate(0, -top);
    }

    const int ascent = painter.fontMetrics().ascent();
    const int drawn = line.size == LineSize::Normal ? count : (count + 1) / 2;
    int column = 0;
    while (column < drawn) {
        const CellLook look
            = lookOf(line.cells[column], screen.reverseScreen(), selection.contains(index, column), blinkOn);
        // A run of cells that look alike; characters outside ASCII are drawn one by one so that a
        // glyph from a fallback font cannot push the rest of the row off the grid.
        int end = column + 1;
        const bool ascii = line.cells[column].ch < 0x80;
        while (ascii && end < drawn && line.cells[end].ch < 0x80
            && lookOf(line.cells[end], screen.reverseScreen(), selection.contains(index, end), blinkOn)
                == look)
            ++end;
        const QRect box(column * cell.width(), top, (end - column) * cell.width(), cell.height());
        painter.fillRect(box, TerminalPalette::colour(look.bg));
        QString text;
        for (int i = column; i < end; ++i) {
            const char32_t ch = line.cells[i].ch;
            text += ch > U' ' ? QString::fromUcs4(&ch, 1) : QStringLiteral(" ");
        }
        if (look.fg != look.bg && !text.trimmed().isEmpty()) {
            painter.setPen(TerminalPalette::colour(look.fg));
            painter.drawText(box.left(), top + ascent, text);
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
    const QRect box(column * cell.width(), row * cell.height(), cell.width(), cell.height());
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
