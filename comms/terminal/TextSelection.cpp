#include "comms/terminal/TextSelection.h"

#include "comms/screen/ScreenModel.h"

#include <algorithm>

void TextSelection::start(TextPoint at)
{
    anchor_ = end_ = at;
}

void TextSelection::extend(TextPoint to)
{
    end_ = to;
}

bool TextSelection::contains(int line, int column) const
{
    const TextPoint cell{line, column};
    return !isEmpty() && begin() <= cell && cell < end();
}

void TextSelection::dropLines(int count)
{
    anchor_.line -= count;
    end_.line -= count;
    if (std::min(anchor_, end_).line < 0)
        clear();
}

QString TextSelection::text(const ScreenModel &screen) const
{
    if (isEmpty())
        return {};
    const TextPoint from = begin();
    const TextPoint to = std::min(end(), TextPoint{screen.bufferLineCount(), 0});
    QString out;
    for (int index = from.line; index <= to.line && index < screen.bufferLineCount(); ++index) {
        const ScreenLine &line = screen.line(index);
        const int first = index == from.line ? from.column : 0;
        const int last
            = index == to.line ? std::min<int>(to.column, int(line.cells.size())) : int(line.cells.size());
        QString row;
        for (int column = first; column < last; ++column) {
            const char32_t ch = line.cells[column].ch;
            row += ch ? QString::fromUcs4(&ch, 1) : QStringLiteral(" ");
        }
        const bool wholeRowToEnd = last == int(line.cells.size());
        if (!(wholeRowToEnd && line.wrapped))
            while (row.endsWith(u' '))
                row.chop(1);
        out += row;
        if (index < to.line && !(line.wrapped && wholeRowToEnd))
            out += u'\n';
    }
    return out;
}
