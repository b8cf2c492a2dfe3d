#include "terminal/ui/TermOptionsApply.h"

#include "comms/ui/Terminal.h"

#include <QFontInfo>

QFont termOptionsFont(const TermOptions &options)
{
    QFont font(options.fontName);
    if (options.fontSize > 0)
        font.setPointSize(options.fontSize);
    if (options.fontHeight != 0)
        font.setPixelSize(qAbs(options.fontHeight));
    font.setBold(options.bold);
    font.setItalic(options.italic);
    return font;
}

namespace {

void takeSize(TermOptions &options, const QFont &font)
{
    const QFontInfo info(font);
    options.fontSize = info.pointSize();
    options.fontHeight = -info.pixelSize();
}

} // namespace

void takeFont(TermOptions &options, const QFont &font)
{
    options.fontName = font.family();
    options.bold = font.bold();
    options.italic = font.italic();
    takeSize(options, font);
}

void applyTermOptions(const TermOptions &options, Terminal &terminal)
{
    terminal.setTerminalFont(termOptionsFont(options));
    terminal.termemu().setEmulation(options.termEmu);
    terminal.setDoorway(options.doorway);
    terminal.setPageSize(options.rows, options.columns);
}

void takeTerminalState(TermOptions &options, const Terminal &terminal)
{
    takeSize(options, terminal.terminalFont());
    options.termEmu = terminal.termemu().emulation();
    options.doorway = terminal.doorway();
    options.rows = terminal.visibleRows();
    options.columns = terminal.visibleColumns();
}
