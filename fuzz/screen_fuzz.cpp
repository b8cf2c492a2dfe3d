// Feeds arbitrary bytes through every emulation and checks that the screen
// stays consistent. The first bytes choose emulation, page size and B+
// detection; the rest is the line data, fed in varying pieces.

#include "comms/screen/Termemu.h"

#include <cstdlib>

namespace {

void checkScreen(const ScreenModel &s)
{
    if (s.rows() < 1 || s.columns() < 1 || s.cursorRow() < 0 || s.cursorRow() >= s.rows()
        || s.cursorColumn() < 0 || s.cursorColumn() >= s.columns()
        || s.bufferLineCount() > ScreenModel::BufferRows || s.regionTop() < 0 || s.regionBottom() >= s.rows()
        || s.regionTop() > s.regionBottom())
        std::abort();
    for (int r = 0; r < s.rows(); ++r) {
        if (int(s.pageLine(r).cells.size()) != s.columns())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    Termemu emu;
    emu.setEmulation(data[0] % 6);
    emu.resize(1 + data[1] % 60, 1 + data[2] % 160);
    emu.setBPlusDetection(data[3] & 1);
    emu.setAnswerback("answer");
    const char *p = reinterpret_cast<const char *>(data) + 4;
    int left = int(size) - 4;
    // Piece sizes vary with the data so sequences get split everywhere.
    int piece = 1 + (data[3] >> 1);
    while (left > 0) {
        const int n = std::min(left, piece);
        int used = emu.feed(p, n);
        while (used < n)
            used += emu.feed(p + used, n - used);
        p += n;
        left -= n;
        piece = 1 + (piece * 7 + 3) % 97;
        checkScreen(emu.screen());
    }
    for (int i = 0; i < emu.screen().bufferLineCount(); ++i)
        (void)emu.screen().lineText(i);
    return 0;
}
