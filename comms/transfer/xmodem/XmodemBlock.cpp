#include "comms/transfer/xmodem/XmodemBlock.h"

#include "comms/transfer/Crc16.h"

namespace Xmodem {

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
        const quint16 crc = crc16Ccitt(payload, blockSize);
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
