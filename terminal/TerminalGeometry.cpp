#include "terminal/TerminalGeometry.h"

namespace {

int shownBars(const WindowBars &bars)
{
    return bars.toolBar + (bars.macroBarVisible ? bars.macroBar : 0)
        + (bars.commandLineVisible ? bars.commandLine : 0);
}

} // namespace

QSize terminalWindowSize(QSize cell, int columns, int rows, const WindowBars &bars)
{
    const int barHeight = shownBars(bars) + (bars.statusBarVisible ? bars.statusBar : 0) + 35;
    return {cell.width() * columns + 10, cell.height() * rows + barHeight};
}

QSize terminalMaximumSize(QSize frame, QSize cell, int columns, int rows, const WindowBars &bars)
{
    const int barHeight = shownBars(bars) + bars.statusBar + 10;
    return {frame.width() + columns * cell.width() + 5, frame.height() + rows * cell.height() + barHeight};
}
