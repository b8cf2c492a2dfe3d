#pragma once

#include <QByteArray>

#include <cstdint>

// Kermit packet framing: MARK LEN SEQ TYPE [LENX1 LENX2 HCHECK] DATA CHECK EOL.
// Printable encodings of small numbers use tochar (value + 32).
namespace Kermit {

constexpr char Mark = 0x01;
// Largest extended length field (data plus check): 95 * 95 - 1.
constexpr int MaxExtendedLength = 9024;

constexpr char toChar(int value)
{
    return static_cast<char>(value + 32);
}
constexpr int unChar(char c)
{
    return static_cast<unsigned char>(c) - 32;
}
constexpr char ctl(char c)
{
    return static_cast<char>(c ^ 64);
}

// Length in characters of block check type 1, 2 or 3.
constexpr int checkLength(int checkType)
{
    return checkType;
}
// Appends the block check of the given type computed over bytes.
void appendCheck(QByteArray &out, const char *bytes, int length, int checkType);
quint16 crc16(const char *bytes, int length);

struct Packet {
    int seq = 0;
    char type = 0;
    QByteArray data; // still prefix-encoded
};

// Builds one complete packet, long form when the data does not fit in 94.
// pad/padChar precede it, eol follows it.
QByteArray buildPacket(const Packet &packet, int checkType, char eol = '\r', int pad = 0, char padChar = 0);
// Largest data field that keeps a packet within maxLength (the receiver's
// announced maximum, long packets included).
int maxDataLength(int maxLength, int checkType);

// Splits the byte stream into packets. Bytes outside packets (echo, noise,
// line ends) are skipped; a MARK inside a packet starts a new one. A packet
// whose header or block check is wrong comes out with ok false and scanning
// resumes just after its MARK.
class PacketReader {
public:
    struct Result {
        Packet packet;
        bool ok = false;
    };

    // Block check in effect; Send-Init packets always use type 1.
    void setCheckType(int checkType) { checkType_ = checkType; }
    int checkType() const { return checkType_; }

    // Feeds bytes; returns each packet that completed.
    template <typename Sink> void feed(const char *bytes, qsizetype length, Sink &&sink);
    void reset() { buffer_.clear(); }

private:
    // Tries to take one packet from the front of buffer_; false when more
    // bytes are needed.
    bool takeOne(Result *result);

    QByteArray buffer_;
    qsizetype start_ = 0;
    int checkType_ = 1;
};

template <typename Sink> void PacketReader::feed(const char *bytes, qsizetype length, Sink &&sink)
{
    buffer_.append(bytes, length);
    Result result;
    while (takeOne(&result))
        sink(result);
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
}

} // namespace Kermit
