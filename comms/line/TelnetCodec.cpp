#include "comms/line/TelnetCodec.h"

#include <algorithm>

namespace {

QByteArray bytes(std::initializer_list<char> list)
{
    return QByteArray(list.begin(), static_cast<qsizetype>(list.size()));
}

void appendEscaped(QByteArray &out, unsigned char byte)
{
    out.append(static_cast<char>(byte));
    if (byte == TelnetCodec::IAC)
        out.append(static_cast<char>(byte));
}

} // namespace

TelnetCodec::TelnetCodec(Side side)
    : side_(side)
{
    us_.fill(No);
    him_.fill(No);
}

bool TelnetCodec::acceptLocal(unsigned char option) const
{
    switch (option) {
    case Binary:
    case SuppressGoAhead:
        return true;
    case TerminalType:
    case WindowSize:
        return side_ == Side::Client;
    default:
        return false;
    }
}

bool TelnetCodec::acceptRemote(unsigned char option) const
{
    switch (option) {
    case Binary:
    case SuppressGoAhead:
        return true;
    case Echo:
        return side_ == Side::Client;
    default:
        return false;
    }
}

QByteArray TelnetCodec::start()
{
    QByteArray out;
    request(out, DO, SuppressGoAhead);
    request(out, WILL, SuppressGoAhead);
    request(out, DO, Binary);
    request(out, WILL, Binary);
    // Offered up front so a server knows them before it starts a program.
    if (side_ == Side::Client) {
        request(out, WILL, TerminalType);
        request(out, WILL, WindowSize);
    }
    return out;
}

void TelnetCodec::request(QByteArray &out, unsigned char verb, unsigned char option)
{
    State &state = (verb == WILL || verb == WONT) ? us_[option] : him_[option];
    const bool enable = verb == WILL || verb == DO;
    if (enable && state == No)
        state = WantYes;
    else if (!enable && state == Yes)
        state = WantNo;
    else
        return;
    out.append(static_cast<char>(IAC));
    out.append(static_cast<char>(verb));
    out.append(static_cast<char>(option));
}

bool TelnetCodec::settled() const
{
    const auto pending = [](State state) { return state == WantYes || state == WantNo; };
    return std::none_of(us_.begin(), us_.end(), pending) && std::none_of(him_.begin(), him_.end(), pending);
}

void TelnetCodec::onWill(unsigned char option, QByteArray &reply)
{
    State &state = him_[option];
    switch (state) {
    case No:
        if (acceptRemote(option)) {
            state = Yes;
            reply.append(bytes({char(IAC), char(DO), char(option)}));
        } else {
            reply.append(bytes({char(IAC), char(DONT), char(option)}));
        }
        break;
    case WantYes:
        state = Yes;
        break;
    case WantNo: // refused our DONT; treat as off and say so once more
        state = No;
        break;
    case Yes:
        break;
    }
}

void TelnetCodec::onWont(unsigned char option, QByteArray &reply)
{
    State &state = him_[option];
    if (state == Yes) {
        state = No;
        reply.append(bytes({char(IAC), char(DONT), char(option)}));
    } else {
        state = No;
    }
}

void TelnetCodec::onDo(unsigned char option, QByteArray &reply)
{
    State &state = us_[option];
    switch (state) {
    case No:
        if (acceptLocal(option)) {
            state = Yes;
            reply.append(bytes({char(IAC), char(WILL), char(option)}));
            afterLocalEnabled(option, reply);
        } else {
            reply.append(bytes({char(IAC), char(WONT), char(option)}));
        }
        break;
    case WantYes:
        state = Yes;
        afterLocalEnabled(option, reply);
        break;
    case WantNo:
        state = No;
        break;
    case Yes:
        break;
    }
}

void TelnetCodec::onDont(unsigned char option, QByteArray &reply)
{
    State &state = us_[option];
    if (state == Yes) {
        state = No;
        reply.append(bytes({char(IAC), char(WONT), char(option)}));
    } else {
        state = No;
    }
}

void TelnetCodec::afterLocalEnabled(unsigned char option, QByteArray &reply)
{
    if (option == TerminalType)
        terminalTypeAnswers_ = 0;
    if (option == WindowSize)
        reply.append(windowSizeReport());
}

QByteArray TelnetCodec::windowSizeReport() const
{
    QByteArray out = bytes({char(IAC), char(SB), char(WindowSize)});
    for (int value : {columns_, rows_}) {
        appendEscaped(out, static_cast<unsigned char>((value >> 8) & 0xff));
        appendEscaped(out, static_cast<unsigned char>(value & 0xff));
    }
    out.append(bytes({char(IAC), char(SE)}));
    return out;
}

QByteArray TelnetCodec::setWindowSize(int columns, int rows)
{
    columns_ = qBound(0, columns, 0xffff);
    rows_ = qBound(0, rows, 0xffff);
    return us_[WindowSize] == Yes ? windowSizeReport() : QByteArray();
}

QByteArray TelnetCodec::breakCommand() const
{
    return bytes({char(IAC), char(BRK)});
}

void TelnetCodec::subnegotiation(QByteArray &reply)
{
    // Terminal type: SEND (1) asks for our name; answered with IS (0).
    // A host cycling through our names stops when one comes twice; past a
    // few answers while the option stays on, a repeated request is not
    // answered, so a peer that never reads cannot make us queue answers.
    if (sub_.size() >= 2 && static_cast<unsigned char>(sub_[0]) == TerminalType && sub_[1] == 1
        && us_[TerminalType] == Yes && terminalTypeAnswers_ < maxTerminalTypeAnswers) {
        ++terminalTypeAnswers_;
        reply.append(bytes({char(IAC), char(SB), char(TerminalType), 0}));
        for (char c : terminalType_)
            appendEscaped(reply, static_cast<unsigned char>(c));
        reply.append(bytes({char(IAC), char(SE)}));
    }
}

QByteArray TelnetCodec::decode(const QByteArray &in, QByteArray &reply)
{
    // Plain data in binary mode passes as it is.
    if (parse_ == Data && receivesBinary() && !in.contains(char(IAC))) {
        afterCr_ = !in.isEmpty() && in.back() == '\r';
        return in;
    }
    QByteArray out;
    out.reserve(in.size());
    for (char ch : in) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (parse_) {
        case Data:
            if (byte == IAC) {
                parse_ = Iac;
                break;
            }
            if (afterCr_ && byte == 0 && !receivesBinary()) {
                afterCr_ = false; // CR NUL stands for a bare CR
                break;
            }
            afterCr_ = byte == '\r';
            out.append(ch);
            break;
        case Iac:
            parse_ = Data;
            switch (byte) {
            case IAC:
                afterCr_ = false;
                out.append(ch);
                break;
            case WILL:
            case WONT:
            case DO:
            case DONT:
                verb_ = byte;
                parse_ = Verb;
                break;
            case SB:
                sub_.clear();
                subOverflow_ = false;
                parse_ = Sub;
                break;
            default: // NOP, DM, BRK, GA and the rest carry nothing for us
                break;
            }
            break;
        case Verb:
            parse_ = Data;
            if (verb_ == WILL)
                onWill(byte, reply);
            else if (verb_ == WONT)
                onWont(byte, reply);
            else if (verb_ == DO)
                onDo(byte, reply);
            else
                onDont(byte, reply);
            break;
        case Sub:
            if (byte == IAC) {
                parse_ = SubIac;
            } else if (sub_.size() < maxSubnegotiation) {
                sub_.append(ch);
            } else {
                subOverflow_ = true;
            }
            break;
        case SubIac:
            if (byte == IAC) {
                parse_ = Sub;
                if (sub_.size() < maxSubnegotiation)
                    sub_.append(ch);
                else
                    subOverflow_ = true;
            } else if (byte == SE) {
                parse_ = Data;
                if (!subOverflow_)
                    subnegotiation(reply);
                sub_.clear();
            } else {
                // A command inside a subnegotiation ends it unfinished.
                sub_.clear();
                parse_ = Iac;
                const QByteArray rest(1, ch);
                out.append(decode(rest, reply));
            }
            break;
        }
    }
    return out;
}

QByteArray TelnetCodec::encode(const QByteArray &data) const
{
    const bool binary = sendsBinary();
    if (!data.contains(char(IAC)) && (binary || !data.contains('\r')))
        return data;
    QByteArray out;
    out.reserve(data.size() + data.size() / 8 + 2);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        appendEscaped(out, byte);
        if (!binary && byte == '\r' && (i + 1 >= data.size() || data[i + 1] != '\n'))
            out.append('\0');
    }
    return out;
}
