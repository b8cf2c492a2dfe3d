#include "RawTerminal.h"

#include <unistd.h>

namespace {

void makeRaw(termios *tio)
{
    tio->c_iflag &= ~static_cast<tcflag_t>(
        IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | IUCLC | IMAXBEL);
    tio->c_oflag &= ~static_cast<tcflag_t>(OPOST | ONLCR | OCRNL);
    tio->c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio->c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    tio->c_cflag |= CS8 | CREAD;
    tio->c_cc[VMIN] = 1;
    tio->c_cc[VTIME] = 0;
}

} // namespace

bool RawTerminal::enter()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO}) {
        termios settings{};
        if (!isatty(fd) || tcgetattr(fd, &settings) != 0)
            continue;
        saved_.push_back({fd, settings});
        termios raw = settings;
        makeRaw(&raw);
        if (tcsetattr(fd, TCSANOW, &raw) != 0)
            return false;
    }
    return true;
}

void RawTerminal::restore()
{
    // Latest first, so a terminal reached through both descriptors ends as
    // found. Input not yet read is the other side's and is dropped: a cooked
    // terminal would echo it or raise signals from it.
    while (!saved_.empty()) {
        const Saved &saved = saved_.back();
        tcflush(saved.fd, TCIFLUSH);
        tcsetattr(saved.fd, TCSANOW, &saved.settings);
        saved_.pop_back();
    }
}
