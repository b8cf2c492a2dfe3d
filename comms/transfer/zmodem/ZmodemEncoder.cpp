#include "comms/transfer/zmodem/ZmodemEncoder.h"

#include "comms/transfer/Crc16.h"
#include "comms/transfer/zmodem/ByteClass.h"
#include "comms/transfer/zmodem/ZmodemCrc.h"

using namespace Zmodem;

namespace {

// Every byte the escape table may escape: ZDLE; DLE, XON, XOFF (0x10-0x13
// stands for them) and CR, with and without the high bit; with escaped
// controls, every control character.
constexpr ByteClass lineBytes({0xff, ZDLE}, {0x7c, 0x10}, {0x7f, '\r'});
constexpr ByteClass controlBytes({0x60, 0}, {0x60, 0}, {0x60, 0});

} // namespace

ZmodemEncoder::ZmodemEncoder()
{
    setEscapeControls(false);
}

void ZmodemEncoder::setEscapeControls(bool on)
{
    escapeControls_ = on;
    for (int c = 0; c < 256; ++c) {
        quint8 kind = 0;
        switch (c & 0x7f) {
        case 0x10: // DLE
        case XON:
        case XOFF:
            kind = 1;
            break;
        case '\r':
            kind = 2;
            break;
        default:
            break;
        }
        if (c == ZDLE || (on && (c & 0x60) == 0))
            kind = 1;
        table_[c] = kind;
    }
}

char *ZmodemEncoder::escape(char *o, const quint8 *in, qsizetype length)
{
    // A local copy: stores through o cannot touch it, so its patterns stay
    // in registers.
    const ByteClass candidates = escapeControls_ ? controlBytes : lineBytes;
    quint8 last = lastSent_;
    qsizetype i = 0;
    while (i < length) {
        const qsizetype run = candidates.copyUntil(in + i, length - i, reinterpret_cast<quint8 *>(o));
        if (run > 0) {
            o += run;
            i += run;
            last = in[i - 1];
            if (i == length)
                break;
        }
        const quint8 c = in[i++];
        const quint8 kind = table_[c];
        if (kind == 0 || (kind == 2 && (last & 0x7f) != '@')) {
            *o++ = char(c);
            last = c;
        } else {
            *o++ = char(ZDLE);
            last = c ^ 0x40;
            *o++ = char(last);
        }
    }
    lastSent_ = last;
    return o;
}

void ZmodemEncoder::hexHeader(QByteArray &out, const Header &header)
{
    static const char digits[] = "0123456789abcdef";
    quint8 raw[7];
    raw[0] = header.type;
    for (int i = 0; i < 4; ++i)
        raw[i + 1] = header.b[i];
    const quint16 crc = crc16Ccitt(raw, 5);
    raw[5] = quint8(crc >> 8);
    raw[6] = quint8(crc);
    out.append("**\x18"
               "B",
        4);
    for (quint8 byte : raw) {
        out.append(digits[byte >> 4]);
        out.append(digits[byte & 0xf]);
    }
    out.append('\r');
    out.append(char(0x8a));
    lastSent_ = 0x8a;
    if (header.type != ZFIN && header.type != ZACK) {
        out.append(char(XON));
        lastSent_ = XON;
    }
}

void ZmodemEncoder::binaryHeader(QByteArray &out, const Header &header, bool crc32)
{
    quint8 raw[9];
    raw[0] = header.type;
    for (int i = 0; i < 4; ++i)
        raw[i + 1] = header.b[i];
    int length = 5;
    if (crc32) {
        const quint32 crc = ZmodemCrc::crc32(raw, 5);
        for (int i = 0; i < 4; ++i)
            raw[length++] = quint8(crc >> (8 * i));
    } else {
        const quint16 crc = crc16Ccitt(raw, 5);
        raw[length++] = quint8(crc >> 8);
        raw[length++] = quint8(crc);
    }
    const qsizetype start = out.size();
    out.resize(start + 3 + 2 * length);
    char *o = out.data() + start;
    *o++ = char(ZPAD);
    *o++ = char(ZDLE);
    *o++ = char(crc32 ? ZBIN32 : ZBIN);
    lastSent_ = crc32 ? ZBIN32 : ZBIN;
    o = escape(o, raw, length);
    out.resize(o - out.data());
}

void ZmodemEncoder::dataSubpacket(
    QByteArray &out, const char *data, qsizetype length, quint8 frameEnd, bool crc32)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(data);
    quint8 check[4];
    int checkLength;
    if (crc32) {
        quint32 crc = ZmodemCrc::crc32Update(0xffffffffu, bytes, length);
        crc = ~ZmodemCrc::crc32Update(crc, &frameEnd, 1);
        for (int i = 0; i < 4; ++i)
            check[i] = quint8(crc >> (8 * i));
        checkLength = 4;
    } else {
        quint16 crc = crc16Ccitt(bytes, length);
        crc = crc16Ccitt(&frameEnd, 1, crc);
        check[0] = quint8(crc >> 8);
        check[1] = quint8(crc);
        checkLength = 2;
    }
    const qsizetype start = out.size();
    out.resize(start + 2 * length + 2 + 2 * checkLength + 1);
    char *o = out.data() + start;
    o = escape(o, bytes, length);
    *o++ = char(ZDLE);
    *o++ = char(frameEnd);
    lastSent_ = frameEnd;
    o = escape(o, check, checkLength);
    if (frameEnd == ZCRCW) {
        *o++ = char(XON);
        lastSent_ = XON;
    }
    out.resize(o - out.data());
}
