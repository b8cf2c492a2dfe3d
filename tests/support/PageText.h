#pragma once

#include "comms/ui/Terminal.h"

// The terminal's visible page as text, one line per row.
inline QString pageText(Terminal *terminal)
{
    QString text;
    for (int row = 0; row < terminal->pageHeight(); ++row)
        text += terminal->lineText(terminal->firstVisibleLine() + row) + QLatin1Char('\n');
    return text;
}
