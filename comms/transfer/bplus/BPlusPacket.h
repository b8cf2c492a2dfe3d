#pragma once

#include "comms/transfer/Crc16.h"

#include <QByteArray>
#include <QList>

#include <bitset>

// Framing of B+ packets and control sequences on the wire:
//   DLE 'B' <seq '0'-'9'> <type> <body, quoted> ETX <check value, quoted>
// The check value (one-byte checksum or CRC-16 sent high byte first) covers
// sequence, type, the unquoted body and ETX.
namespace BPlus {

constexpr char ETX = 0x03;
constexpr char ENQ = 0x05;
constexpr char DLE = 0x10;
constexpr char NAK = 0x15;
constexpr char ESC = 0x1b;

constexpr int maxBody = 1100; // largest body accepted: 1024 data bytes and room for T packets

// The characters sent as DLE + substitute.
using QuoteSet = std::bitset<256>;

// ETX, ENQ, DLE, DC1, DC3, NAK: what both sides quote before negotiating.
QuoteSet defaultQuoteSet();
// Every character 0x00-0x1f and 0x80-0x9f (used for the '+' packet).
QuoteSet fullQuoteSet();
// Characters quoted whatever was negotiated: the framing ones.
QuoteSet mandatoryQuoteSet();

quint8 checksum(const QByteArray &data);
// The XMODEM CRC-16 started from 0xffff, as B+ uses it.
inline quint16 crc16(const QByteArray &data, quint16 crc = 0xffff)
{
    return crc16Ccitt(data.constData(), data.size(), crc);
}

struct Encoding {
    bool crc = false;
    QuoteSet quote = defaultQuoteSet();
};

// The complete packet as sent. '+' packets always go with full quoting and
// the checksum, whatever `encoding` says.
QByteArray encodePacket(int seq, char type, const QByteArray &body, const Encoding &encoding);

// What the parser recognised in the byte stream.
struct Event {
    enum Kind {
        Packet, // a packet whose check value matched
        BadPacket, // a packet that failed its check or was malformed
        Ack, // DLE digit
        Enquiry, // ENQ
        NegativeAck, // NAK
        Wait, // DLE ';'
        EnquiryReply, // DLE '+' '+', the reply of a terminal to ENQ
        PanicAbort, // four DLEs in a row
        Interrogation, // ESC 'I'
    };
    Kind kind = Packet;
    int seq = 0; // packet sequence or acknowledged digit
    char type = 0;
    QByteArray body;
};

// Byte-fed parser; anything that is neither a packet nor a control sequence
// is skipped.
class Parser {
public:
    // Check value length for packets other than '+'.
    void setCrc(bool crc) { crc_ = crc; }
    bool crc() const { return crc_; }
    void reset();

    // Parses `bytes`, appending what it found to `events`.
    void feed(const QByteArray &bytes, QList<Event> &events);

private:
    enum class State { Idle, Dle, DlePlus, Esc, Seq, Type, Body, BodyQuote, Check, CheckQuote };

    void feedByte(quint8 byte, QList<Event> &events);
    void idleByte(quint8 byte, QList<Event> &events);
    void addCheckByte(quint8 byte, QList<Event> &events);
    void bad(QList<Event> &events);

    State state_ = State::Idle;
    bool crc_ = false;
    int dleRun_ = 0;
    int seq_ = 0;
    char type_ = 0;
    QByteArray body_;
    QByteArray check_;
};

} // namespace BPlus
