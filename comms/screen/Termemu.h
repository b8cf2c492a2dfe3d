#pragma once

#include "comms/screen/Charsets.h"
#include "comms/screen/EscapeParser.h"
#include "comms/screen/ScreenModel.h"

#include <QByteArray>
#include <QObject>

#include <array>

// The screen emulator: parses what the line delivers and draws it on a
// ScreenModel as the chosen terminal would. Replies the terminal sends by
// itself (device attributes, status and cursor reports, answerback) leave
// through reply(); mode changes the keyboard must follow are signalled.
//
// Emulation numbers: 0 none (text with CR, LF, BS, HT and BEL), 1 ANSI,
// 2 VT52, 3 VT100, 4 ANSI BBS (code page 437), 5 VT220.
class Termemu : public QObject, private EscapeHandler {
    Q_OBJECT
public:
    enum Emulation { NoEmulation = 0, Ansi = 1, Vt52 = 2, Vt100 = 3, AnsiBbs = 4, Vt220 = 5 };

    explicit Termemu(QObject *parent = nullptr);

    ScreenModel &screen() { return screen_; }
    const ScreenModel &screen() const { return screen_; }

    // Switching emulation resets modes and character sets; text stays.
    void setEmulation(int number);
    int emulation() const { return emulation_; }

    // Feeds received bytes. Returns how many were taken: all of them, unless
    // B+ detection stopped at a start sequence; the bytes after it belong to
    // the B+ engine then.
    int feed(const char *data, int size);
    int feed(const QByteArray &bytes) { return feed(bytes.constData(), int(bytes.size())); }

    // While on, ENQ, DLE and ESC I are reported by bPlusDetected() and not
    // processed.
    void setBPlusDetection(bool on) { bPlus_ = on; }
    bool bPlusDetection() const { return bPlus_; }
    // Sent in answer to ENQ; empty sends nothing.
    void setAnswerback(const QByteArray &text) { answerback_ = text; }

    // Default colours and the colours of text written from now on.
    void setColours(int fg, int bg);
    void resize(int rows, int columns);
    void clearScreen();
    void clearScreenAndBuffer();
    // Power-on state (RIS): modes, sets, keypad; the page is cleared.
    void reset();

    bool applicationKeypad() const { return keypadApplication_; }
    bool applicationCursorKeys() const { return cursorKeysApplication_; }
    // VT52 key sequences apply (VT52 emulation or DEC ANSI mode reset).
    bool vt52Mode() const { return parser_.vt52(); }
    // LF also returns the carriage; the Return key sends CR LF.
    bool newLineMode() const { return newLineMode_; }

signals:
    void reply(const QByteArray &bytes);
    // trigger: 0x05 (ENQ), 0x10 (DLE) or 'I' (ESC I).
    void bPlusDetected(char trigger);
    void keypadModeChanged(bool application);
    void cursorKeyModeChanged(bool application);
    void vt52ModeChanged(bool on);
    void newLineModeChanged(bool on);
    void bell();
    // The page size changed by itself (132/80 column switch).
    void sizeChanged(int rows, int columns);
    void titleChanged(const QString &title);
    // Emitted after a feed or an operation that changed the screen.
    void changed();

private:
    struct Charsets {
        std::array<Charset, 4> g{
            Charset::Ascii, Charset::Ascii, Charset::DecSupplemental, Charset::DecSupplemental};
        int gl = 0;
        int gr = 2;
        bool vt52Graphics = false;
    };
    struct SavedCursor {
        ScreenModel::CursorState cursor;
        Charsets charsets;
    };

    // EscapeHandler
    void print(const uchar *bytes, int count) override;
    void execute(uchar control) override;
    void escDispatch(const EscapeSequence &seq) override;
    void csiDispatch(const EscapeSequence &seq) override;
    void oscDispatch(const std::string &text) override;
    void dcsDispatch(const EscapeSequence &seq, const std::string &data) override;
    void vt52Address(int row, int column) override;

    bool isDec() const { return emulation_ == Vt100 || emulation_ == Vt220; }
    bool isAnsi() const { return emulation_ == Ansi || emulation_ == AnsiBbs; }
    bool takeBPlus(char trigger);
    void printDec(const uchar *bytes, int count);
    void lineFeed();
    void updateGlMap();
    void sendReply(const QByteArray &csiBody);
    void sendAnswerback();

    void escDec(const EscapeSequence &seq);
    void escVt52(const EscapeSequence &seq);
    void csiAnsi(const EscapeSequence &seq);
    void csiDec(const EscapeSequence &seq);
    void csiCommon(const EscapeSequence &seq);
    void setMode(const EscapeSequence &seq, bool on);
    void setDecMode(int mode, bool on);
    void selectGraphicRendition(const EscapeSequence &seq);
    void deviceStatus(const EscapeSequence &seq);
    void saveCursor();
    void restoreCursor();
    void softReset();
    void setVt52Mode(bool on);
    void setKeypadApplication(bool on);
    void setCursorKeysApplication(bool on);
    void setColumns(int columns);

    ScreenModel screen_;
    EscapeParser parser_;
    int emulation_ = Vt100;
    Charsets charsets_;
    SavedCursor saved_;
    // Charset of the next character only (SS2, SS3), or -1.
    int singleShift_ = -1;
    const char32_t *glMap_ = nullptr;
    bool bPlus_ = false;
    bool keypadApplication_ = false;
    bool cursorKeysApplication_ = false;
    bool newLineMode_ = false;
    bool eightBitReplies_ = false;
    QByteArray answerback_;
};
