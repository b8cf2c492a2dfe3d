#pragma once

#include <QtGlobal>

// Zmodem's 32-bit check: CRC-32 (IEEE, reflected; sent low byte first). Its
// 16-bit check is crc16Ccitt.
namespace ZmodemCrc {

// Running register form: start with 0xffffffff and invert at the end.
quint32 crc32Update(quint32 crc, const quint8 *data, qsizetype length);
inline quint32 crc32(const quint8 *data, qsizetype length)
{
    return ~crc32Update(0xffffffffu, data, length);
}

} // namespace ZmodemCrc
