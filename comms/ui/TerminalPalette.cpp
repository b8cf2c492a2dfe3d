#include "comms/ui/TerminalPalette.h"

namespace TerminalPalette {

QColor colour(int index)
{
    static const QRgb colours[16] = {
        0x000000,
        0xAA0000,
        0x00AA00,
        0xAA5500,
        0x0000AA,
        0xAA00AA,
        0x00AAAA,
        0xAAAAAA,
        0x555555,
        0xFF5555,
        0x55FF55,
        0xFFFF55,
        0x5555FF,
        0xFF55FF,
        0x55FFFF,
        0xFFFFFF,
    };
    return QColor::fromRgb(colours[index & 15]);
}

} // namespace TerminalPalette
