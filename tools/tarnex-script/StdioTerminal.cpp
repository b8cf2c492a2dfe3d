#include "StdioTerminal.h"

#include <cstdio>

void StdioTerminal::display(const QString &text)
{
    if (quiet_)
        return;
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}
