#include "comms/screen/Termemu.h"

#include <algorithm>

// Escape and control-sequence dispatch for each emulation.

namespace {

// Nearest of the 16 colours to an RGB value (components 0-255).
quint8 nearestColour(int r, int g, int b)
{
    const int hi = std::max({r, g, b});
    quint8 c = quint8(
        (r > hi / 2 && r > 64 ? 1 : 0) | (g > hi / 2 && g > 64 ? 2 : 0) | (b > hi / 2 && b > 64 ? 4 : 0));
    if (c == 0 && hi > 64)
        c = 8;
    else if (c != 0 && hi > 191)
        c |= 8;
    else if (c == 7 && hi <= 127)
        c = 8;
    return c;
}

// An xterm 256-colour index on the 16 colours.
quint8 indexedColour(int n)
{
    if (n < 16)
        return quint8(n);
    if (n < 232) {
        static constexpr int level[] = {0, 95, 135, 175, 215, 255};
        n -= 16;
        return nearestColour(level[n / 36], level[n / 6 % 6], level[n % 6]);
    }
    const int grey = 8 + (n - 232) * 10;
    return nearestColour(grey, grey, grey);
}

} // namespace

void Termemu::escDispatch(const EscapeSequence &seq)
{
    if (seq.final == 'I' && seq.intermediateCount == 0 && takeBPlus('I'))
        return;
    if (emulation_ == NoEmulation)
        return;
    if (parser_.vt52())
        escVt52(seq);
    else
        escDec(seq);
}

void Termemu::escVt52(const EscapeSequence &seq)
{
    switch (seq.final) {
    case 'A':
        screen_.cursorUp(1);
        break;
    case 'B':
        screen_.cursorDown(1);
        break;
    case 'C':
        screen_.cursorForward(1);
        break;
    case 'D':
        screen_.cursorBackward(1);
        break;
    case 'F':
        charsets_.vt52Graphics = true;
        updateGlMap();
        break;
    case 'G':
        charsets_.vt52Graphics = false;
        updateGlMap();
        break;
    case 'H':
        screen_.moveTo(0, 0);
        break;
    case 'I':
        screen_.reverseIndex();
        break;
    case 'J':
        screen_.eraseInDisplay(0);
        break;
    case 'K':
        screen_.eraseInLine(0);
        break;
    case 'Z':
        emit reply(QByteArray("\x1b/Z"));
        break;
    case '=':
        setKeypadApplication(true);
        break;
    case '>':
        setKeypadApplication(false);
        break;
    case '<':
        if (emulation_ != Vt52)
            setVt52Mode(false);
        break;
    default:
        break;
    }
}

void Termemu::escDec(const EscapeSequence &seq)
{
    const char i0 = seq.intermediate();
    if (i0 == '(' || i0 == ')' || i0 == '*' || i0 == '+') {
        if (!isDec())
            return;
        Charset set;
        const char i1 = seq.intermediateCount > 1 ? seq.intermediates[1] : 0;
        if (charsetForFinal(i1, seq.final, &set)) {
            charsets_.g[i0 == '(' ? 0 : i0 == ')' ? 1 : i0 == '*' ? 2 : 3] = set;
            updateGlMap();
        }
        return;
    }
    if (i0 == '-' || i0 == '.' || i0 == '/') {
        Charset set;
        if (emulation_ == Vt220 && charset96ForFinal(seq.final, &set)) {
            charsets_.g[i0 == '-' ? 1 : i0 == '.' ? 2 : 3] = set;
            updateGlMap();
        }
        return;
    }
    if (i0 == '#') {
        switch (seq.final) {
        case '3':
            screen_.setLineSize(LineSize::DoubleHeightTop);
            break;
        case '4':
            screen_.setLineSize(LineSize::DoubleHeightBottom);
            break;
        case '5':
            screen_.setLineSize(LineSize::Normal);
            break;
        case '6':
            screen_.setLineSize(LineSize::DoubleWidth);
            break;
        case '8':
            screen_.fillWithE();
            break;
        default:
            break;
        }
        return;
    }
    if (i0 == ' ') {
        if (emulation_ == Vt220 && (seq.final == 'F' || seq.final == 'G'))
            eightBitReplies_ = seq.final == 'G';
        return;
    }
    if (i0)
        return;
    switch (seq.final) {
    case '7':
        saveCursor();
        break;
    case '8':
        restoreCursor();
        break;
    case 'D':
        screen_.index();
        break;
    case 'E':
        screen_.index();
        screen_.carriageReturn();
        break;
    case 'M':
        screen_.reverseIndex();
        break;
    case 'H':
        screen_.setTabStop();
        break;
    case 'c':
        reset();
        break;
    case '=':
        setKeypadApplication(true);
        break;
    case '>':
        setKeypadApplication(false);
        break;
    case 'Z':
        if (isDec())
            sendReply(emulation_ == Vt220 ? "?62;1;2;6;7;8;9c" : "?1;2c");
        break;
    default:
        if (emulation_ != Vt220)
            break;
        switch (seq.final) {
        case 'N':
            singleShift_ = 2;
            break;
        case 'O':
            singleShift_ = 3;
            break;
        case 'n':
            charsets_.gl = 2;
            updateGlMap();
            break;
        case 'o':
            charsets_.gl = 3;
            updateGlMap();
            break;
        case '~':
            charsets_.gr = 1;
            break;
        case '}':
            charsets_.gr = 2;
            break;
        case '|':
            charsets_.gr = 3;
            break;
        default:
            break;
        }
    }
}

void Termemu::csiDispatch(const EscapeSequence &seq)
{
    if (emulation_ == NoEmulation)
        return;
    if (isAnsi())
        csiAnsi(seq);
    else
        csiDec(seq);
}

// Sequences every emulation with control sequences shares.
void Termemu::csiCommon(const EscapeSequence &seq)
{
    const int n = seq.param(0, 1);
    switch (seq.final) {
    case '@':
        screen_.insertChars(n);
        break;
    case 'A':
        screen_.cursorUp(n);
        break;
    case 'B':
    case 'e':
        screen_.cursorDown(n);
        break;
    case 'C':
    case 'a':
        screen_.cursorForward(n);
        break;
    case 'D':
        screen_.cursorBackward(n);
        break;
    case 'E':
        screen_.cursorDown(n);
        screen_.carriageReturn();
        break;
    case 'F':
        screen_.cursorUp(n);
        screen_.carriageReturn();
        break;
    case 'G':
    case '`':
        screen_.moveToColumn(n - 1);
        break;
    case 'H':
    case 'f':
        screen_.moveTo(seq.param(0, 1) - 1, seq.param(1, 1) - 1);
        break;
    case 'I':
        screen_.tab(n);
        break;
    case 'K':
        screen_.eraseInLine(seq.rawParam(0));
        break;
    case 'L':
        screen_.insertLines(n);
        break;
    case 'M':
        screen_.deleteLines(n);
        break;
    case 'P':
        screen_.deleteChars(n);
        break;
    case 'S':
        screen_.scrollUp(n);
        break;
    case 'T':
        screen_.scrollDown(n);
        break;
    case 'X':
        screen_.eraseChars(n);
        break;
    case 'Z':
        screen_.backTab(n);
        break;
    case 'd':
        screen_.moveToRow(n - 1);
        break;
    case 'm':
        selectGraphicRendition(seq);
        break;
    case 'n':
        deviceStatus(seq);
        break;
    case 's':
        saveCursor();
        break;
    case 'u':
        restoreCursor();
        break;
    default:
        break;
    }
}

void Termemu::csiAnsi(const EscapeSequence &seq)
{
    if (seq.intermediateCount)
        return;
    if (seq.prefix) {
        // ESC[=7h / ESC[?7h: line wrap; ESC[?25h: cursor shown.
        if (seq.final == 'h' || seq.final == 'l') {
            const bool on = seq.final == 'h';
            for (int i = 0; i < seq.paramCount; ++i) {
                if (seq.params[i] == 7)
                    screen_.setAutowrap(on);
                else if (seq.params[i] == 25)
                    screen_.setCursorVisible(on);
            }
        }
        return;
    }
    switch (seq.final) {
    case 'J':
        // DOS ANSI homes the cursor when clearing the whole screen.
        screen_.eraseInDisplay(seq.rawParam(0));
        if (seq.rawParam(0) == 2)
            screen_.moveTo(0, 0);
        break;
    case 'c':
        sendReply("?1;2c");
        break;
    default:
        csiCommon(seq);
        break;
    }
}

void Termemu::csiDec(const EscapeSequence &seq)
{
    const bool vt220 = emulation_ == Vt220;
    if (seq.prefix == '?') {
        switch (seq.final) {
        case 'h':
        case 'l':
            for (int i = 0; i < seq.paramCount; ++i)
                setDecMode(seq.params[i], seq.final == 'h');
            break;
        case 'J':
            if (vt220)
                screen_.eraseInDisplay(seq.rawParam(0), true);
            break;
        case 'K':
            if (vt220)
                screen_.eraseInLine(seq.rawParam(0), true);
            break;
        case 'n':
            deviceStatus(seq);
            break;
        default:
            break;
        }
        return;
    }
    if (seq.prefix == '>') {
        if (seq.final == 'c' && seq.rawParam(0) == 0 && vt220)
            sendReply(">1;10;0c");
        return;
    }
    if (seq.prefix)
        return;
    if (seq.intermediateCount) {
        const char i0 = seq.intermediate();
        if (!vt220 || seq.intermediateCount != 1)
            return;
        if (i0 == '"' && seq.final == 'q') {
            ScreenModel::Pen pen = screen_.pen();
            if (seq.rawParam(0) == 1)
                pen.flags |= CellProtected;
            else
                pen.flags &= quint8(~CellProtected);
            screen_.setPen(pen);
        } else if (i0 == '"' && seq.final == 'p') {
            // Conformance level: 61 is VT100 (7-bit), 62 with 1 asks for 7-bit replies.
            eightBitReplies_ = seq.rawParam(0) >= 62 && seq.rawParam(1) != 1;
        } else if (i0 == '!' && seq.final == 'p') {
            softReset();
        }
        return;
    }
    switch (seq.final) {
    case 'J':
        screen_.eraseInDisplay(seq.rawParam(0));
        break;
    case 'c':
        if (seq.rawParam(0) == 0)
            sendReply(vt220 ? "?62;1;2;6;7;8;9c" : "?1;2c");
        break;
    case 'g':
        if (seq.rawParam(0) == 0)
            screen_.clearTabStop();
        else if (seq.rawParam(0) == 3)
            screen_.clearAllTabStops();
        break;
    case 'h':
    case 'l':
        setMode(seq, seq.final == 'h');
        break;
    case 'r':
        screen_.setScrollRegion(seq.param(0, 1) - 1, seq.param(1, screen_.rows()) - 1);
        break;
    case 'x':
        if (seq.rawParam(0) <= 1)
            sendReply(QByteArray::number(seq.rawParam(0) + 2) + ";1;1;120;120;1;0x");
        break;
    default:
        csiCommon(seq);
        break;
    }
}

void Termemu::setMode(const EscapeSequence &seq, bool on)
{
    for (int i = 0; i < seq.paramCount; ++i) {
        switch (seq.params[i]) {
        case 4:
            screen_.setInsertMode(on);
            break;
        case 20:
            if (newLineMode_ != on) {
                newLineMode_ = on;
                emit newLineModeChanged(on);
            }
            break;
        default:
            break;
        }
    }
}

void Termemu::setDecMode(int mode, bool on)
{
    switch (mode) {
    case 1:
        setCursorKeysApplication(on);
        break;
    case 2:
        if (!on)
            setVt52Mode(true);
        break;
    case 3:
        setColumns(on ? 132 : 80);
        break;
    case 5:
        screen_.setReverseScreen(on);
        break;
    case 6:
        screen_.setOriginMode(on);
        break;
    case 7:
        screen_.setAutowrap(on);
        break;
    case 25:
        screen_.setCursorVisible(on);
        break;
    default:
        break;
    }
}

void Termemu::selectGraphicRendition(const EscapeSequence &seq)
{
    ScreenModel::Pen pen = screen_.pen();
    const int count = std::max(1, seq.paramCount);
    for (int i = 0; i < count; ++i) {
        const int p = seq.rawParam(i);
        switch (p) {
        case 0:
            pen.fg = quint8(screen_.defaultForeground());
            pen.bg = quint8(screen_.defaultBackground());
            pen.flags &= CellProtected;
            break;
        case 1:
            pen.flags |= CellBold;
            break;
        case 4:
            pen.flags |= CellUnderline;
            break;
        case 5:
            pen.flags |= CellBlink;
            break;
        case 7:
            pen.flags |= CellReverse;
            break;
        case 8:
            pen.flags |= CellInvisible;
            break;
        case 22:
            pen.flags &= quint8(~CellBold);
            break;
        case 24:
            pen.flags &= quint8(~CellUnderline);
            break;
        case 25:
            pen.flags &= quint8(~CellBlink);
            break;
        case 27:
            pen.flags &= quint8(~CellReverse);
            break;
        case 28:
            pen.flags &= quint8(~CellInvisible);
            break;
        case 38:
        case 48: {
            // Extended colours (5;index or 2;r;g;b) come down to the 16.
            quint8 colour = 0;
            bool known = false;
            if (seq.rawParam(i + 1) == 5 && i + 2 < seq.paramCount) {
                colour = indexedColour(std::min(seq.rawParam(i + 2), 255));
                known = true;
                i += 2;
            } else if (seq.rawParam(i + 1) == 2 && i + 4 < seq.paramCount) {
                colour = nearestColour(std::min(seq.rawParam(i + 2), 255), std::min(seq.rawParam(i + 3), 255),
                    std::min(seq.rawParam(i + 4), 255));
                known = true;
                i += 4;
            } else {
                i = count;
            }
            if (known)
                (p == 38 ? pen.fg : pen.bg) = colour;
            break;
        }
        case 39:
            pen.fg = quint8(screen_.defaultForeground());
            break;
        case 49:
            pen.bg = quint8(screen_.defaultBackground());
            break;
        default:
            if (p >= 30 && p <= 37)
                pen.fg = quint8(p - 30);
            else if (p >= 40 && p <= 47)
                pen.bg = quint8(p - 40);
            else if (p >= 90 && p <= 97)
                pen.fg = quint8(p - 90 + 8);
            else if (p >= 100 && p <= 107)
                pen.bg = quint8(p - 100 + 8);
            break;
        }
    }
    screen_.setPen(pen);
}

void Termemu::deviceStatus(const EscapeSequence &seq)
{
    const int p = seq.rawParam(0);
    if (seq.prefix == '?') {
        if (emulation_ != Vt220)
            return;
        if (p == 15)
            sendReply("?13n");
        else if (p == 25)
            sendReply("?20n");
        else if (p == 26)
            sendReply("?27;1n");
        return;
    }
    if (p == 5) {
        sendReply("0n");
    } else if (p == 6) {
        int row = screen_.cursorRow();
        if (screen_.originMode())
            row -= screen_.regionTop();
        sendReply(QByteArray::number(row + 1) + ';' + QByteArray::number(screen_.cursorColumn() + 1) + 'R');
    }
}

void Termemu::softReset()
{
    const int row = screen_.cursorRow();
    const int column = screen_.cursorColumn();
    screen_.setCursorVisible(true);
    screen_.setInsertMode(false);
    screen_.setOriginMode(false);
    screen_.setAutowrap(false);
    screen_.setScrollRegion(0, screen_.rows() - 1);
    screen_.resetPen();
    setKeypadApplication(false);
    setCursorKeysApplication(false);
    charsets_ = Charsets{};
    singleShift_ = -1;
    updateGlMap();
    saved_ = SavedCursor{};
    screen_.moveTo(row, column);
}
