#include "comms/transfer/Crc16.h"

#include <array>

namespace {

constexpr std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        auto crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto table = makeTable();

} // namespace

quint16 crc16Ccitt(const void *data, qsizetype length, quint16 crc)
{
    const auto *bytes = static_cast<const quint8 *>(data);
    for (qsizetype i = 0; i < length; ++i)
        crc = quint16((crc << 8) ^ table[(crc >> 8) ^ bytes[i]]);
    return crc;
}
