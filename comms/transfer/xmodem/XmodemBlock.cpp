#include "comms/transfer/xmodem/XmodemBlock.h"

#include <array>

namespace Xmodem {

namespace {

constexpr std::array<quint16, 256> makeCrcTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = static_cast<quint16>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<quint16>((crc << 1) ^ 0x1021) : static_cast<quint16>(crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> crcTable = makeCrcTable();

} // namespace

quint16 crc16(const char *data, qsizetype length, quint16 crc)
{
    for (qsizetype i = 0; i < length; ++i)
        crc = static_cast<quint16>((crc << 8) ^ crcTable[((crc >> 8) ^ static_cast<quint8>(data[i])) & 0xff]);
    return crc;
}

quint8 checksum(const char *data, qsizetype length)
{
    quint8 sum = 0;
    for (qsizetype i = 0; i < length; ++i)
        sum = static_cast<quint8>(sum + static_cast<quint8>(data[i]));
    return sum;
}

QByteArray buildBlock(quint8 number, const QByteArray &data, int blockSize, bool useCrc, char pad)
{
    QByteArray block;
    block.reserve(blockSize + 5);
    block.append(blockSize == longBlock ? STX : SOH);
    block.append(static_cast<char>(number));
    block.append(static_cast<char>(~number));
    block.append(data.left(blockSize));
    if (data.size() < blockSize)
        block.append(blockSize - data.size(), pad);
    const char *payload = block.constData() + 3;
    if (useCrc) {
        const quint16 crc = crc16(payload, blockSize);
        block.append(static_cast<char>(crc >> 8));
        block.append(static_cast<char>(crc & 0xff));
    } else {
        block.append(static_cast<char>(checksum(payload, blockSize)));
    }
    return block;
}

QByteArray cancelSequence()
{
    return QByteArray(8, CAN) + QByteArray(8, BS);
}

} // namespace Xmodem
