#include "comms/transfer/bplus/BPlusPacket.h"

namespace BPlus {

namespace {

bool unquote(quint8 byte, quint8 *value)
{
    if (byte >= 0x40 && byte <= 0x5f) {
        *value = byte - 0x40;
        return true;
    }
    if (byte >= 0x60 && byte <= 0x7f) {
        *value = byte - 0x60 + 0x80;
        return true;
    }
    return false;
}

void appendQuoted(QByteArray &out, quint8 byte, const QuoteSet &quote)
{
    if (!quote.test(byte)) {
        out.append(static_cast<char>(byte));
        return;
    }
    out.append(DLE);
    out.append(static_cast<char>(byte < 0x20 ? byte + 0x40 : (byte & 0x1f) + 0x60));
}

} // namespace

QuoteSet defaultQuoteSet()
{
    QuoteSet set;
    for (int c : {0x03, 0x05, 0x10, 0x11, 0x13, 0x15})
        set.set(c);
    return set;
}

QuoteSet fullQuoteSet()
{
    QuoteSet set;
    for (int c = 0; c < 0x20; ++c) {
        set.set(c);
        set.set(c + 0x80);
    }
    return set;
}

QuoteSet mandatoryQuoteSet()
{
    QuoteSet set;
    for (int c : {0x03, 0x05, 0x10, 0x15})
        set.set(c);
    return set;
}

quint8 checksum(const QByteArray &data)
{
    unsigned sum = 0;
    for (const char c : data) {
        sum = ((sum << 1) | (sum >> 7)) & 0xff;
        sum += static_cast<quint8>(c);
        if (sum > 0xff)
            sum = (sum & 0xff) + 1;
    }
    return static_cast<quint8>(sum);
}

QByteArray encodePacket(int seq, char type, const QByteArray &body, const Encoding &encoding)
{
    const bool parameters = type == '+';
    const QuoteSet quote = parameters ? fullQuoteSet() : (encoding.quote | mandatoryQuoteSet());
    const bool crc = encoding.crc && !parameters;

    QByteArray checked;
    checked.reserve(body.size() + 3);
    checked.append(static_cast<char>('0' + seq % 10));
    checked.append(type);
    checked.append(body);
    checked.append(ETX);

    QByteArray out;
    out.reserve(body.size() * 2 + 10);
    out.append(DLE);
    out.append('B');
    out.append(checked.left(2));
    for (const char c : body)
        appendQuoted(out, static_cast<quint8>(c), quote);
    out.append(ETX);
    if (crc) {
        const quint16 value = crc16(checked);
        appendQuoted(out, value >> 8, quote);
        appendQuoted(out, value & 0xff, quote);
    } else {
        appendQuoted(out, checksum(checked), quote);
    }
    return out;
}

void Parser::reset()
{
    state_ = State::Idle;
    dleRun_ = 0;
    body_.clear();
    check_.clear();
}

void Parser::feed(const QByteArray &bytes, QList<Event> &events)
{
    for (const char c : bytes)
        feedByte(static_cast<quint8>(c), events);
}

void Parser::bad(QList<Event> &events)
{
    Event event;
    event.kind = Event::BadPacket;
    event.seq = seq_;
    event.type = type_;
    events.append(event);
    body_.clear();
    check_.clear();
    state_ = State::Idle;
}

void Parser::idleByte(quint8 byte, QList<Event> &events)
{
    state_ = State::Idle;
    switch (byte) {
    case DLE:
        state_ = State::Dle;
        dleRun_ = 1;
        break;
    case ENQ:
        events.append(Event{Event::Enquiry, 0, 0, {}});
        break;
    case NAK:
        events.append(Event{Event::NegativeAck, 0, 0, {}});
        break;
    case ESC:
        state_ = State::Esc;
        break;
    default:
        break;
    }
}

void Parser::feedByte(quint8 byte, QList<Event> &events)
{
    switch (state_) {
    case State::Idle:
        idleByte(byte, events);
        return;
    case State::Dle:
        if (byte == DLE) {
            if (++dleRun_ >= 4) {
                dleRun_ = 0;
                state_ = State::Idle;
                events.append(Event{Event::PanicAbort, 0, 0, {}});
            }
            return;
        }
        dleRun_ = 0;
        if (byte == 'B') {
            state_ = State::Seq;
            body_.clear();
            check_.clear();
        } else if (byte >= '0' && byte <= '9') {
            state_ = State::Idle;
            events.append(Event{Event::Ack, byte - '0', 0, {}});
        } else if (byte == ';') {
            state_ = State::Idle;
            events.append(Event{Event::Wait, 0, 0, {}});
        } else if (byte == '+') {
            state_ = State::DlePlus;
        } else {
            idleByte(byte, events);
        }
        return;
    case State::DlePlus:
        if (byte == '+') {
            state_ = State::Idle;
            events.append(Event{Event::EnquiryReply, 0, 0, {}});
        } else {
            idleByte(byte, events);
        }
        return;
    case State::Esc:
        if (byte == 'I') {
            state_ = State::Idle;
            events.append(Event{Event::Interrogation, 0, 0, {}});
        } else {
            idleByte(byte, events);
        }
        return;
    case State::Seq:
        if (byte >= '0' && byte <= '9') {
            seq_ = byte - '0';
            state_ = State::Type;
        } else {
            bad(events);
            idleByte(byte, events);
        }
        return;
    case State::Type:
        if (byte >= 0x20 && byte < 0x7f) {
            type_ = static_cast<char>(byte);
            state_ = State::Body;
        } else {
            bad(events);
            idleByte(byte, events);
        }
        return;
    case State::Body:
    case State::Check:
        if (byte == DLE) {
            state_ = state_ == State::Body ? State::BodyQuote : State::CheckQuote;
        } else if (byte == ENQ || byte == NAK) {
            // Never part of a packet: the other side gave up on this one.
            reset();
            idleByte(byte, events);
        } else if (state_ == State::Check) {
            addCheckByte(byte, events);
        } else if (byte == ETX) {
            state_ = State::Check;
        } else if (body_.size() >= maxBody) {
            bad(events);
        } else {
            body_.append(static_cast<char>(byte));
        }
        return;
    case State::BodyQuote:
    case State::CheckQuote: {
        quint8 value = 0;
        if (!unquote(byte, &value)) {
            bad(events);
            state_ = State::Dle;
            dleRun_ = 1;
            feedByte(byte, events);
            return;
        }
        if (state_ == State::CheckQuote) {
            state_ = State::Check;
            addCheckByte(value, events);
        } else if (body_.size() >= maxBody) {
            bad(events);
        } else {
            state_ = State::Body;
            body_.append(static_cast<char>(value));
        }
        return;
    }
    }
}

void Parser::addCheckByte(quint8 byte, QList<Event> &events)
{
    check_.append(static_cast<char>(byte));
    const bool crc = crc_ && type_ != '+';
    if (check_.size() < (crc ? 2 : 1))
        return;
    QByteArray checked;
    checked.reserve(body_.size() + 3);
    checked.append(static_cast<char>('0' + seq_));
    checked.append(type_);
    checked.append(body_);
    checked.append(ETX);
    const bool good = crc ? crc16(checked)
            == ((static_cast<quint16>(static_cast<quint8>(check_[0])) << 8) | static_cast<quint8>(check_[1]))
                          : checksum(checked) == static_cast<quint8>(check_[0]);
    if (!good) {
        bad(events);
        return;
    }
    events.append(Event{Event::Packet, seq_, type_, body_});
    body_.clear();
    check_.clear();
    state_ = State::Idle;
}

} // namespace BPlus
