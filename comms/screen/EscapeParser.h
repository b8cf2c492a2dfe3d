#pragma once

#include <QtGlobal>

#include <array>
#include <string>

// A complete escape, control or device-control sequence as parsed.
struct EscapeSequence {
    static constexpr int MaxParams = 16;
    static constexpr int MaxIntermediates = 2;

    // Private marker of a control sequence ('<', '=', '>' or '?'), else 0.
    char prefix = 0;
    std::array<char, MaxIntermediates> intermediates{};
    int intermediateCount = 0;
    std::array<int, MaxParams> params{};
    int paramCount = 0;
    char final = 0;

    // Parameter i, or def when it is missing or 0 (the DEC default rule).
    int param(int i, int def) const { return i < paramCount && params[i] > 0 ? params[i] : def; }
    // Parameter i as given; missing counts as 0.
    int rawParam(int i) const { return i < paramCount && params[i] > 0 ? params[i] : 0; }
    char intermediate() const { return intermediateCount ? intermediates[0] : 0; }
};

// What the parser reports. print() gets runs of graphic bytes; execute()
// gets single control codes (C0, and C1 when 8-bit controls are on).
class EscapeHandler {
public:
    virtual ~EscapeHandler() = default;
    virtual void print(const uchar *bytes, int count) = 0;
    virtual void execute(uchar control) = 0;
    virtual void escDispatch(const EscapeSequence &seq) = 0;
    virtual void csiDispatch(const EscapeSequence &seq) = 0;
    // Operating-system command text and device-control strings, capped.
    virtual void oscDispatch(const std::string &text) = 0;
    virtual void dcsDispatch(const EscapeSequence &seq, const std::string &data) = 0;
    // VT52 direct cursor address (ESC Y row column), 0-based.
    virtual void vt52Address(int row, int column) = 0;
};

// Table-driven state machine for the escape-sequence grammar of ECMA-48 and
// the DEC terminals: ground, escape, control sequence, device-control and
// operating-system strings. Every byte stream is accepted; malformed
// sequences are dropped, never passed on half-parsed. String contents are
// capped at MaxString bytes.
class EscapeParser {
public:
    static constexpr int MaxString = 512;

    enum State : quint8 {
        Ground,
        Escape,
        EscapeIntermediate,
        CsiEntry,
        CsiParam,
        CsiIntermediate,
        CsiIgnore,
        DcsEntry,
        DcsParam,
        DcsIntermediate,
        DcsPassthrough,
        DcsIgnore,
        OscString,
        SosPmApcString,
        StateCount,
    };

    // 8-bit controls 0x80-0x9F (VT220). When off those bytes print.
    void setC1Controls(bool on);
    // DEL prints (PC glyph) instead of being ignored.
    void setDelPrintable(bool on);
    // VT52 grammar: ESC plus one character, and ESC Y row column.
    void setVt52(bool on);
    bool vt52() const { return vt52_; }

    // Feeds bytes to the handler. Returns how many were consumed: all of them
    // unless the handler called stop(), in which case the rest is left.
    int feed(const uchar *bytes, int count, EscapeHandler &handler);
    void stop() { stop_ = true; }
    void reset();
    State state() const { return state_; }

private:
    void clear();
    void enter(State next, EscapeHandler &handler);
    void leave(EscapeHandler &handler);
    bool feedVt52(uchar b, EscapeHandler &handler);
    void selectTable();

    State state_ = Ground;
    EscapeSequence seq_;
    bool ignoreSequence_ = false;
    bool paramStarted_ = false;
    std::string string_;
    bool c1_ = false;
    bool delPrintable_ = false;
    bool vt52_ = false;
    bool stop_ = false;
    // VT52 ESC Y: 0 idle, 1 waiting for the row, 2 for the column.
    int vt52Step_ = 0;
    int vt52Row_ = 0;
    const quint16 (*table_)[256] = nullptr;
};
