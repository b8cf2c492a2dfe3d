#include "comms/transfer/zmodem/ZmodemCrc.h"

#include <QtEndian>

#include <array>
#include <cstring>

namespace {

// Eight tables for slicing-by-8: table[k][b] is the CRC of byte b followed
// by k zero bytes.
using Crc32Tables = std::array<std::array<quint32, 256>, 8>;

constexpr Crc32Tables makeCrc32Tables()
{
    Crc32Tables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
        t[0][i] = crc;
    }
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xff];
    return t;
}

constexpr Crc32Tables crc32Tables = makeCrc32Tables();

} // namespace

namespace ZmodemCrc {

quint32 crc32Update(quint32 crc, const quint8 *data, qsizetype length)
{
    const auto &t = crc32Tables;
    while (length >= 8) {
        quint32 lo;
        quint32 hi;
        std::memcpy(&lo, data, 4);
        std::memcpy(&hi, data + 4, 4);
        lo = qFromLittleEndian(lo);
        hi = qFromLittleEndian(hi);
        lo ^= crc;
        crc = t[7][lo & 0xff] ^ t[6][(lo >> 8) & 0xff] ^ t[5][(lo >> 16) & 0xff] ^ t[4][lo >> 24]
            ^ t[3][hi & 0xff] ^ t[2][(hi >> 8) & 0xff] ^ t[1][(hi >> 16) & 0xff] ^ t[0][hi >> 24];
        data += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *data++) & 0xff];
    return crc;
}

} // namespace ZmodemCrc
