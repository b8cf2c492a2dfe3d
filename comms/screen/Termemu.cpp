#include "comms/screen/Termemu.h"

namespace {

// Control codes ANSI BBS shows as PC pictures instead of acting on them.
bool isBbsGlyph(uchar c)
{
    return (c >= 0x01 && c <= 0x06) || (c >= 0x0E && c <= 0x1A) || (c >= 0x1C && c <= 0x1F);
}

} // namespace

Termemu::Termemu(QObject *parent)
    : QObject(parent)
{
    setEmulation(Vt100);
}

void Termemu::setEmulation(int number)
{
    if (number < NoEmulation || number > Vt220)
        number = Vt100;
    emulation_ = number;
    parser_.reset();
    parser_.setC1Controls(emulation_ == Vt220);
    parser_.setDelPrintable(emulation_ == AnsiBbs);
    screen_.setDeferredWrap(!isAnsi());
    charsets_ = Charsets{};
    saved_ = SavedCursor{};
    singleShift_ = -1;
    eightBitReplies_ = false;
    screen_.resetModes();
    setVt52Mode(emulation_ == Vt52);
    setKeypadApplication(false);
    setCursorKeysApplication(false);
    updateGlMap();
    emit changed();
}

int Termemu::feed(const char *data, int size)
{
    const quint64 before = screen_.changeCount();
    const int used = parser_.feed(reinterpret_cast<const uchar *>(data), size, *this);
    if (screen_.changeCount() != before)
        emit changed();
    return used;
}

void Termemu::setColours(int fg, int bg)
{
    ScreenModel::Pen pen = screen_.pen();
    screen_.setDefaultColours(fg, bg);
    pen.fg = quint8(fg & 15);
    pen.bg = quint8(bg & 15);
    screen_.setPen(pen);
}

void Termemu::resize(int rows, int columns)
{
    screen_.resize(rows, columns);
    emit changed();
}

void Termemu::clearScreen()
{
    screen_.clearScreen();
    emit changed();
}

void Termemu::clearScreenAndBuffer()
{
    screen_.clearScreenAndBuffer();
    emit changed();
}

void Termemu::reset()
{
    setEmulation(emulation_);
    screen_.clearScreen();
    if (newLineMode_) {
        newLineMode_ = false;
        emit newLineModeChanged(false);
    }
    emit changed();
}

// ---------------------------------------------------------------- state helpers

void Termemu::updateGlMap()
{
    Charset set = charsets_.g[charsets_.gl];
    if (parser_.vt52())
        set = charsets_.vt52Graphics ? Charset::Vt52Graphics : Charset::Ascii;
    else if (!isDec())
        set = Charset::Ascii;
    glMap_ = set == Charset::Ascii ? nullptr : charsetTable(set);
}

void Termemu::setVt52Mode(bool on)
{
    if (parser_.vt52() == on)
        return;
    parser_.setVt52(on);
    charsets_.vt52Graphics = false;
    updateGlMap();
    emit vt52ModeChanged(on);
}

void Termemu::setKeypadApplication(bool on)
{
    if (keypadApplication_ != on) {
        keypadApplication_ = on;
        emit keypadModeChanged(on);
    }
}

void Termemu::setCursorKeysApplication(bool on)
{
    if (cursorKeysApplication_ != on) {
        cursorKeysApplication_ = on;
        emit cursorKeyModeChanged(on);
    }
}

bool Termemu::takeBPlus(char trigger)
{
    if (!bPlus_)
        return false;
    parser_.stop();
    emit bPlusDetected(trigger);
    return true;
}

void Termemu::sendReply(const QByteArray &csiBody)
{
    emit reply((eightBitReplies_ ? QByteArray("\x9b") : QByteArray("\x1b[")) + csiBody);
}

void Termemu::sendAnswerback()
{
    if (!answerback_.isEmpty())
        emit reply(answerback_);
}

void Termemu::saveCursor()
{
    saved_ = SavedCursor{screen_.cursorState(), charsets_};
}

void Termemu::restoreCursor()
{
    screen_.restoreCursorState(saved_.cursor);
    if (isDec()) {
        charsets_ = saved_.charsets;
        updateGlMap();
    }
}

void Termemu::setColumns(int columns)
{
    screen_.resize(screen_.rows(), columns);
    screen_.clearScreen();
    emit sizeChanged(screen_.rows(), columns);
}

// ---------------------------------------------------------------- text

void Termemu::print(const uchar *bytes, int count)
{
    switch (emulation_) {
    case AnsiBbs:
        screen_.putRun(bytes, count, cp437Table());
        break;
    case Vt100:
    case Vt220:
        printDec(bytes, count);
        break;
    default:
        if (parser_.vt52() && glMap_) {
            printDec(bytes, count);
            break;
        }
        // Latin-1: the byte is the code point.
        screen_.putRun(bytes, count, nullptr);
        break;
    }
}

void Termemu::printDec(const uchar *bytes, int count)
{
    int i = 0;
    if (singleShift_ >= 0 && count > 0) {
        screen_.put(charsetTable(charsets_.g[singleShift_])[bytes[0] & 0x7F]);
        singleShift_ = -1;
        i = 1;
    }
    while (i < count) {
        int j = i;
        while (j < count && bytes[j] < 0x80)
            ++j;
        if (j > i) {
            screen_.putRun(bytes + i, j - i, glMap_);
            i = j;
            continue;
        }
        const uchar b = bytes[i++];
        if (emulation_ == Vt220)
            screen_.put(charsetTable(charsets_.g[charsets_.gr])[b & 0x7F]);
        else
            screen_.put(char32_t(b));
    }
}

void Termemu::lineFeed()
{
    screen_.index();
    if (newLineMode_)
        screen_.carriageReturn();
}

void Termemu::execute(uchar c)
{
    if ((c == 0x05 || c == 0x10) && takeBPlus(char(c)))
        return;
    if (emulation_ == AnsiBbs && isBbsGlyph(c) && c != 0x05) {
        screen_.put(cp437Table()[c]);
        return;
    }
    switch (c) {
    case 0x05:
        if (emulation_ != NoEmulation)
            sendAnswerback();
        return;
    case 0x07:
        emit bell();
        return;
    case 0x08:
        screen_.backspace();
        return;
    case 0x09:
        screen_.tab();
        return;
    case 0x0A:
        lineFeed();
        return;
    case 0x0D:
        screen_.carriageReturn();
        return;
    default:
        break;
    }
    if (emulation_ == NoEmulation)
        return;
    if (isAnsi()) {
        if (c == 0x0B)
            lineFeed();
        else if (c == 0x0C)
            screen_.clearScreen();
        return;
    }
    switch (c) {
    case 0x0B:
    case 0x0C:
        lineFeed();
        break;
    case 0x0E:
        charsets_.gl = 1;
        updateGlMap();
        break;
    case 0x0F:
        charsets_.gl = 0;
        updateGlMap();
        break;
    case 0x84:
        screen_.index();
        break;
    case 0x85:
        screen_.index();
        screen_.carriageReturn();
        break;
    case 0x88:
        screen_.setTabStop();
        break;
    case 0x8D:
        screen_.reverseIndex();
        break;
    case 0x8E:
        singleShift_ = 2;
        break;
    case 0x8F:
        singleShift_ = 3;
        break;
    default:
        break;
    }
}

void Termemu::oscDispatch(const std::string &text)
{
    const size_t semi = text.find(';');
    if (semi == std::string::npos)
        return;
    const std::string code = text.substr(0, semi);
    if (code == "0" || code == "2")
        emit titleChanged(QString::fromLatin1(text.substr(semi + 1)));
}

void Termemu::dcsDispatch(const EscapeSequence &, const std::string &)
{
    // Device-control strings (user-defined keys, status requests) are
    // consumed and dropped.
}

void Termemu::vt52Address(int row, int column)
{
    screen_.moveTo(row, column);
}
