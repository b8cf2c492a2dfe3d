#pragma once

#include <QtGlobal>

// Wire constants of the Zmodem protocol.
namespace Zmodem {

inline constexpr quint8 ZPAD = '*';
inline constexpr quint8 ZDLE = 0x18; // also CAN
inline constexpr quint8 ZBIN = 'A';
inline constexpr quint8 ZHEX = 'B';
inline constexpr quint8 ZBIN32 = 'C';
inline constexpr quint8 XON = 0x11;
inline constexpr quint8 XOFF = 0x13;

// Frame types.
enum FrameType : quint8 {
    ZRQINIT = 0,
    ZRINIT = 1,
    ZSINIT = 2,
    ZACK = 3,
    ZFILE = 4,
    ZSKIP = 5,
    ZNAK = 6,
    ZABORT = 7,
    ZFIN = 8,
    ZRPOS = 9,
    ZDATA = 10,
    ZEOF = 11,
    ZFERR = 12,
    ZCRC = 13,
    ZCHALLENGE = 14,
    ZCOMPL = 15,
    ZCAN = 16,
    ZFREECNT = 17,
    ZCOMMAND = 18,
    ZSTDERR = 19,
    FrameTypeCount = 20,
};

// Data subpacket ends (the byte after ZDLE).
enum FrameEnd : quint8 {
    ZCRCE = 'h', // end of frame, header follows
    ZCRCG = 'i', // more data follows, no reply
    ZCRCQ = 'j', // more data follows, ZACK expected
    ZCRCW = 'k', // end of frame, ZACK expected
};
inline constexpr quint8 ZRUB0 = 'l'; // escaped 0x7f
inline constexpr quint8 ZRUB1 = 'm'; // escaped 0xff

// ZRINIT flags (ZF0).
inline constexpr quint8 CANFDX = 0x01;
inline constexpr quint8 CANOVIO = 0x02;
inline constexpr quint8 CANBRK = 0x04;
inline constexpr quint8 CANFC32 = 0x20;
inline constexpr quint8 ESCCTL = 0x40;
inline constexpr quint8 ESC8 = 0x80;

// ZSINIT flags (ZF0).
inline constexpr quint8 TESCCTL = 0x40;

// ZFILE conversion (ZF0).
inline constexpr quint8 ZCBIN = 1;
inline constexpr quint8 ZCRESUM = 3;
// ZFILE management (ZF1): option number in the low bits, skip flag on top.
inline constexpr quint8 ZMMASK = 0x1f;
inline constexpr quint8 ZMSKNOFIL = 0x80;

// Largest data subpacket accepted or sent.
inline constexpr int MaxSubpacket = 8192;

// Header bytes: positions are little-endian in b[0..3]; flags ZF0 is b[3],
// ZF1 b[2], ZF2 b[1], ZF3 b[0].
struct Header {
    quint8 type = 0;
    quint8 b[4] = {0, 0, 0, 0};

    quint32 position() const { return b[0] | (b[1] << 8) | (b[2] << 16) | (quint32(b[3]) << 24); }
    quint8 zf0() const { return b[3]; }
    quint8 zf1() const { return b[2]; }

    static Header withPosition(quint8 type, quint32 pos)
    {
        return Header{type, {quint8(pos), quint8(pos >> 8), quint8(pos >> 16), quint8(pos >> 24)}};
    }
    static Header withFlags(quint8 type, quint8 zf0, quint8 zf1 = 0, quint8 zf2 = 0, quint8 zf3 = 0)
    {
        return Header{type, {zf3, zf2, zf1, zf0}};
    }
};

} // namespace Zmodem
