#include "comms/screen/ScreenText.h"

QStringList screenRows(const ScreenModel &screen)
{
    QStringList rows;
    for (int r = 0; r < screen.rows(); ++r)
        rows << screen.lineText(screen.firstVisibleLine() + r);
    return rows;
}

namespace {

QString flagLetters(quint8 flags)
{
    QString s;
    const struct {
        quint8 bit;
        char letter;
    } names[] = {{CellBold, 'B'}, {CellUnderline, 'U'}, {CellBlink, 'K'}, {CellReverse, 'R'},
        {CellInvisible, 'I'}, {CellProtected, 'P'}};
    for (const auto &n : names) {
        if (flags & n.bit)
            s += QLatin1Char(n.letter);
    }
    return s;
}

} // namespace

QString attributeRuns(const ScreenModel &screen, int row)
{
    const ScreenLine &line = screen.pageLine(row);
    QStringList parts;
    switch (line.size) {
    case LineSize::DoubleWidth:
        parts << QStringLiteral("DW");
        break;
    case LineSize::DoubleHeightTop:
        parts << QStringLiteral("DHT");
        break;
    case LineSize::DoubleHeightBottom:
        parts << QStringLiteral("DHB");
        break;
    case LineSize::Normal:
        break;
    }
    const auto isDefault = [&](const ScreenCell &c) {
        return c.fg == screen.defaultForeground() && c.bg == screen.defaultBackground() && c.flags == 0;
    };
    const int n = int(line.cells.size());
    for (int c = 0; c < n;) {
        const ScreenCell &first = line.cells[c];
        int end = c + 1;
        while (end < n && line.cells[end].fg == first.fg && line.cells[end].bg == first.bg
            && line.cells[end].flags == first.flags)
            ++end;
        if (!isDefault(first)) {
            parts << QStringLiteral("%1-%2:%3/%4%5")
                         .arg(c)
                         .arg(end - 1)
                         .arg(first.fg)
                         .arg(first.bg)
                         .arg(flagLetters(first.flags));
        }
        c = end;
    }
    return parts.join(QLatin1Char(' '));
}
