#pragma once

#include <QtGlobal>

// The two checks Zmodem uses: CRC-16/XMODEM (polynomial 0x1021, initial 0,
// sent high byte first) and CRC-32 (IEEE, reflected; sent low byte first).
namespace ZmodemCrc {

quint16 crc16(const quint8 *data, qsizetype length, quint16 crc = 0);

// Running register form: start with 0xffffffff and invert at the end.
quint32 crc32Update(quint32 crc, const quint8 *data, qsizetype length);
inline quint32 crc32(const quint8 *data, qsizetype length)
{
    return ~crc32Update(0xffffffffu, data, length);
}

} // namespace ZmodemCrc
