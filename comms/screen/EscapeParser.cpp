#include "comms/screen/EscapeParser.h"

#include <algorithm>

namespace {

enum Action : quint8 {
    None,
    Print,
    Execute,
    Collect,
    Prefix,
    Param,
    EscDispatch,
    CsiDispatch,
    DcsFinal,
    Put,
};

constexpr quint8 kActionMask = 0x0F;
constexpr quint8 kTransition = 0x10;

using State = EscapeParser::State;
using Row = std::array<quint16, 256>;
using Table = std::array<Row, EscapeParser::StateCount>;

// Entries pack the action (low bits), a transition flag and the next state
// (high byte).
constexpr quint16 entry(Action a, State next)
{
    return quint16(a | kTransition | (next << 8));
}
constexpr quint16 stay(Action a)
{
    return a;
}
State nextOf(quint16 e)
{
    return State(e >> 8);
}

struct Builder {
    Table t{};

    void set(State s, int lo, int hi, quint16 e)
    {
        for (int b = lo; b <= hi; ++b)
            t[s][b] = e;
    }
    void c0(State s, quint16 e)
    {
        set(s, 0x00, 0x17, e);
        set(s, 0x19, 0x19, e);
        set(s, 0x1C, 0x1F, e);
    }
};

Table build(bool c1, bool delPrintable)
{
    Builder b;
    using P = EscapeParser;

    b.c0(P::Ground, stay(Execute));
    b.set(P::Ground, 0x20, 0xFF, stay(Print));
    b.set(P::Ground, 0x7F, 0x7F, stay(delPrintable ? Print : None));

    b.c0(P::Escape, stay(Execute));
    b.set(P::Escape, 0x20, 0x2F, entry(Collect, P::EscapeIntermediate));
    b.set(P::Escape, 0x30, 0x7E, entry(EscDispatch, P::Ground));
    b.set(P::Escape, 'P', 'P', entry(None, P::DcsEntry));
    b.set(P::Escape, '[', '[', entry(None, P::CsiEntry));
    b.set(P::Escape, ']', ']', entry(None, P::OscString));
    for (int s : {'X', '^', '_'})
        b.set(P::Escape, s, s, entry(None, P::SosPmApcString));

    b.c0(P::EscapeIntermediate, stay(Execute));
    b.set(P::EscapeIntermediate, 0x20, 0x2F, stay(Collect));
    b.set(P::EscapeIntermediate, 0x30, 0x7E, entry(EscDispatch, P::Ground));

    b.c0(P::CsiEntry, stay(Execute));
    b.set(P::CsiEntry, 0x20, 0x2F, entry(Collect, P::CsiIntermediate));
    b.set(P::CsiEntry, 0x30, 0x39, entry(Param, P::CsiParam));
    b.set(P::CsiEntry, 0x3A, 0x3A, entry(None, P::CsiIgnore));
    b.set(P::CsiEntry, 0x3B, 0x3B, entry(Param, P::CsiParam));
    b.set(P::CsiEntry, 0x3C, 0x3F, entry(Prefix, P::CsiParam));
    b.set(P::CsiEntry, 0x40, 0x7E, entry(CsiDispatch, P::Ground));

    b.c0(P::CsiParam, stay(Execute));
    b.set(P::CsiParam, 0x20, 0x2F, entry(Collect, P::CsiIntermediate));
    b.set(P::CsiParam, 0x30, 0x39, stay(Param));
    b.set(P::CsiParam, 0x3A, 0x3A, entry(None, P::CsiIgnore));
    b.set(P::CsiParam, 0x3B, 0x3B, stay(Param));
    b.set(P::CsiParam, 0x3C, 0x3F, entry(None, P::CsiIgnore));
    b.set(P::CsiParam, 0x40, 0x7E, entry(CsiDispatch, P::Ground));

    b.c0(P::CsiIntermediate, stay(Execute));
    b.set(P::CsiIntermediate, 0x20, 0x2F, stay(Collect));
    b.set(P::CsiIntermediate, 0x30, 0x3F, entry(None, P::CsiIgnore));
    b.set(P::CsiIntermediate, 0x40, 0x7E, entry(CsiDispatch, P::Ground));

    b.c0(P::CsiIgnore, stay(Execute));
    b.set(P::CsiIgnore, 0x40, 0x7E, entry(None, P::Ground));

    b.set(P::DcsEntry, 0x20, 0x2F, entry(Collect, P::DcsIntermediate));
    b.set(P::DcsEntry, 0x30, 0x39, entry(Param, P::DcsParam));
    b.set(P::DcsEntry, 0x3A, 0x3A, entry(None, P::DcsIgnore));
    b.set(P::DcsEntry, 0x3B, 0x3B, entry(Param, P::DcsParam));
    b.set(P::DcsEntry, 0x3C, 0x3F, entry(Prefix, P::DcsParam));
    b.set(P::DcsEntry, 0x40, 0x7E, entry(DcsFinal, P::DcsPassthrough));

    b.set(P::DcsParam, 0x20, 0x2F, entry(Collect, P::DcsIntermediate));
    b.set(P::DcsParam, 0x30, 0x39, stay(Param));
    b.set(P::DcsParam, 0x3A, 0x3A, entry(None, P::DcsIgnore));
    b.set(P::DcsParam, 0x3B, 0x3B, stay(Param));
    b.set(P::DcsParam, 0x3C, 0x3F, entry(None, P::DcsIgnore));
    b.set(P::DcsParam, 0x40, 0x7E, entry(DcsFinal, P::DcsPassthrough));

    b.set(P::DcsIntermediate, 0x20, 0x2F, stay(Collect));
    b.set(P::DcsIntermediate, 0x30, 0x3F, entry(None, P::DcsIgnore));
    b.set(P::DcsIntermediate, 0x40, 0x7E, entry(DcsFinal, P::DcsPassthrough));

    b.c0(P::DcsPassthrough, stay(Put));
    b.set(P::DcsPassthrough, 0x20, 0x7E, stay(Put));

    b.set(P::OscString, 0x07, 0x07, entry(None, P::Ground));
    b.set(P::OscString, 0x20, 0x7F, stay(Put));

    // High bytes inside sequences: GR mirrors GL, strings keep them.
    for (int s = P::Escape; s < P::StateCount; ++s) {
        for (int hi = 0xA0; hi <= 0xFF; ++hi)
            b.t[s][hi] = b.t[s][hi & 0x7F];
        if (!c1 && (s == P::OscString || s == P::DcsPassthrough))
            b.set(State(s), 0x80, 0x9F, stay(Put));
    }

    // Transitions from anywhere.
    for (int s = 0; s < P::StateCount; ++s) {
        const State st = State(s);
        b.set(st, 0x18, 0x18, entry(Execute, P::Ground));
        b.set(st, 0x1A, 0x1A, entry(Execute, P::Ground));
        b.set(st, 0x1B, 0x1B, entry(None, P::Escape));
        if (!c1)
            continue;
        b.set(st, 0x80, 0x8F, entry(Execute, P::Ground));
        b.set(st, 0x91, 0x97, entry(Execute, P::Ground));
        b.set(st, 0x99, 0x9A, entry(Execute, P::Ground));
        b.set(st, 0x90, 0x90, entry(None, P::DcsEntry));
        b.set(st, 0x9B, 0x9B, entry(None, P::CsiEntry));
        b.set(st, 0x9C, 0x9C, entry(None, P::Ground));
        b.set(st, 0x9D, 0x9D, entry(None, P::OscString));
        for (int s2 : {0x98, 0x9E, 0x9F})
            b.set(st, s2, s2, entry(None, P::SosPmApcString));
    }
    return b.t;
}

const Table &tableFor(bool c1, bool del)
{
    static const Table tables[4]
        = {build(false, false), build(false, true), build(true, false), build(true, true)};
    return tables[(c1 ? 2 : 0) + (del ? 1 : 0)];
}

} // namespace

void EscapeParser::setC1Controls(bool on)
{
    c1_ = on;
    table_ = nullptr;
}

void EscapeParser::setDelPrintable(bool on)
{
    delPrintable_ = on;
    table_ = nullptr;
}

void EscapeParser::setVt52(bool on)
{
    vt52_ = on;
    vt52Step_ = 0;
}

void EscapeParser::selectTable()
{
    table_ = reinterpret_cast<const quint16(*)[256]>(tableFor(c1_, delPrintable_).data());
}

void EscapeParser::reset()
{
    state_ = Ground;
    vt52Step_ = 0;
    clear();
    string_.clear();
}

void EscapeParser::clear()
{
    seq_ = EscapeSequence{};
    ignoreSequence_ = false;
    paramStarted_ = false;
}

void EscapeParser::leave(EscapeHandler &handler)
{
    if (state_ == OscString)
        handler.oscDispatch(string_);
    else if (state_ == DcsPassthrough && !ignoreSequence_)
        handler.dcsDispatch(seq_, string_);
}

void EscapeParser::enter(State next, EscapeHandler &)
{
    switch (next) {
    case Escape:
    case CsiEntry:
    case DcsEntry:
        clear();
        break;
    case OscString:
    case DcsPassthrough:
        string_.clear();
        break;
    default:
        break;
    }
}

bool EscapeParser::feedVt52(uchar b, EscapeHandler &handler)
{
    if (b == 0x18 || b == 0x1A) {
        vt52Step_ = 0;
        state_ = Ground;
        handler.execute(b);
        return true;
    }
    if (b == 0x1B) {
        vt52Step_ = 0;
        state_ = Escape;
        return true;
    }
    if (b < 0x20) {
        handler.execute(b);
        return true;
    }
    if (vt52Step_ == 1) {
        vt52Row_ = (b & 0x7F) - 0x20;
        vt52Step_ = 2;
        return true;
    }
    if (vt52Step_ == 2) {
        vt52Step_ = 0;
        state_ = Ground;
        handler.vt52Address(vt52Row_, (b & 0x7F) - 0x20);
        return true;
    }
    state_ = Ground;
    if (b == 'Y') {
        vt52Step_ = 1;
        return true;
    }
    clear();
    seq_.final = char(b & 0x7F);
    handler.escDispatch(seq_);
    return true;
}

int EscapeParser::feed(const uchar *bytes, int count, EscapeHandler &handler)
{
    if (!table_)
        selectTable();
    const quint16(*table)[256] = table_;
    stop_ = false;
    int i = 0;
    while (i < count) {
        if (state_ == Ground && vt52Step_ == 0) {
            const quint16 *ground = table[Ground];
            int j = i;
            while (j < count && ground[bytes[j]] == Print)
                ++j;
            if (j > i) {
                handler.print(bytes + i, j - i);
                i = j;
                if (stop_)
                    break;
                continue;
            }
        }
        const uchar b = bytes[i++];
        if (vt52_ && (state_ == Escape || vt52Step_)) {
            feedVt52(b, handler);
            if (stop_)
                break;
            continue;
        }
        const quint16 e = table[state_][b];
        if (e & kTransition)
            leave(handler);
        switch (Action(e & kActionMask)) {
        case None:
            break;
        case Print:
            handler.print(&b, 1);
            break;
        case Execute:
            handler.execute(b);
            break;
        case Collect:
            if (seq_.intermediateCount < EscapeSequence::MaxIntermediates)
                seq_.intermediates[seq_.intermediateCount++] = char(b);
            else
                ignoreSequence_ = true;
            break;
        case Prefix:
            seq_.prefix = char(b);
            break;
        case Param:
            if (b == ';') {
                if (!paramStarted_) {
                    paramStarted_ = true;
                    seq_.paramCount = 1;
                    seq_.params[0] = -1;
                }
                if (seq_.paramCount < EscapeSequence::MaxParams)
                    seq_.params[seq_.paramCount++] = -1;
                else
                    ignoreSequence_ = true;
            } else {
                if (!paramStarted_) {
                    paramStarted_ = true;
                    seq_.paramCount = 1;
                    seq_.params[0] = -1;
                }
                int &p = seq_.params[seq_.paramCount - 1];
                p = std::min(std::max(p, 0) * 10 + (b - '0'), 65535);
            }
            break;
        case EscDispatch:
            seq_.final = char(b & 0x7F);
            if (!ignoreSequence_)
                handler.escDispatch(seq_);
            break;
        case CsiDispatch:
            seq_.final = char(b & 0x7F);
            if (!ignoreSequence_)
                handler.csiDispatch(seq_);
            break;
        case DcsFinal:
            seq_.final = char(b & 0x7F);
            break;
        case Put:
            if (string_.size() < size_t(MaxString))
                string_.push_back(char(b));
            break;
        }
        if (e & kTransition) {
            state_ = nextOf(e);
            enter(state_, handler);
        }
        if (stop_)
            break;
    }
    return i;
}
