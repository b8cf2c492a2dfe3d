#pragma once

#include <termios.h>

#include <vector>

// Standard input and output, where they are terminals, switched to raw mode
// for a transfer: 8 bits, no echo, no translation, no signals from the line.
// restore() puts back the exact settings found, dropping input not yet
// read; the destructor does too.
class RawTerminal {
public:
    RawTerminal() = default;
    ~RawTerminal() { restore(); }
    RawTerminal(const RawTerminal &) = delete;
    RawTerminal &operator=(const RawTerminal &) = delete;

    // False with errno set when a terminal refused the raw settings.
    bool enter();
    void restore();
    bool active() const { return !saved_.empty(); }

private:
    struct Saved {
        int fd;
        termios settings;
    };
    std::vector<Saved> saved_;
};
