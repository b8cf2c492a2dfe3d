#pragma once

// A reproducible stream of what a busy host sends a terminal: coloured text, cursor moves, erases
// and scrolling, in blocks of lines. The same seed gives the same bytes on every machine.

#include <cstdint>
#include <random>
#include <string>

class MixedAnsiStream {
public:
    explicit MixedAnsiStream(std::uint32_t seed = 1)
        : random_(seed)
    { }

    // The next block of about 200 lines.
    std::string next()
    {
        std::string block;
        for (int line = 0; line < 200; ++line)
            appendLine(block, line);
        return block;
    }

private:
    int pick(int below) { return int(random_() % std::uint32_t(below)); }

    void appendLine(std::string &out, int line)
    {
        static const char *const words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog",
            "0123456789", "status:", "OK", "error", "line", "modem", "CONNECT", "--"};
        out += "\x1b[" + std::to_string(31 + pick(7)) + 'm';
        int width = 0;
        while (width < 50 + pick(28)) {
            switch (pick(8)) {
            case 0:
                out += "\x1b[1m";
                break;
            case 1:
                out += "\x1b[38;5;" + std::to_string(pick(256)) + 'm';
                break;
            case 2:
                out += "\x1b[4" + std::to_string(pick(8)) + 'm';
                break;
            case 3:
                out += "\x1b[0m";
                break;
            default:
                break;
            }
            const std::string word = words[pick(16)];
            out += word + ' ';
            width += int(word.size()) + 1;
        }
        out += "\x1b[0m";
        if (line % 10 == 0) // a status field redrawn in place
            out += "\x1b[s\x1b[" + std::to_string(1 + pick(24)) + ';' + std::to_string(1 + pick(60))
                + "H\x1b[K\x1b[44mstatus " + std::to_string(line) + "\x1b[0m\x1b[u";
        if (line % 50 == 0) // a scroll region, scrolled down and up, then released
            out += "\x1b[5;20r\x1b[20;1H\n\n\x1bM\x1b[r\x1b[24;1H";
        if (line == 100 && pick(4) == 0)
            out += "\x1b[H\x1b[2J";
        out += "\r\n";
    }

    std::mt19937 random_;
};
