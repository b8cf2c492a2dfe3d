#include <QTest>

#include "comms/transfer/Crc16.h"
#include "comms/transfer/zmodem/ZmodemCrc.h"

#include <QRandomGenerator>

namespace {

quint32 bitwiseCrc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1) ? 0xedb88320u : 0);
    }
    return ~crc;
}

} // namespace

// The block checks of the transfer protocols: published check values, a
// bit-at-a-time CRC-32, and a running check split at every offset agrees
// with the one-pass result (long runs and short ones take different paths).
class TransferChecksTest : public QObject {
    Q_OBJECT
private slots:
    void checkValues()
    {
        const char digits[] = "123456789";
        QCOMPARE(crc16Ccitt(digits, 9), quint16(0x31c3));
        QCOMPARE(crc16Ccitt(digits, 9, 0xffff), quint16(0x29b1));
        QCOMPARE(ZmodemCrc::crc32(reinterpret_cast<const quint8 *>(digits), 9), quint32(0xcbf43926));
    }

    void splitRunsAgree()
    {
        QByteArray data(333, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char &c : data)
            c = char(generator.bounded(256));
        const auto *bytes = reinterpret_cast<const quint8 *>(data.constData());
        const quint16 whole16 = crc16Ccitt(bytes, data.size());
        const quint32 whole32 = ZmodemCrc::crc32(bytes, data.size());
        QCOMPARE(whole32, bitwiseCrc32(data));
        for (qsizetype split = 0; split <= data.size(); ++split) {
            QCOMPARE(crc16Ccitt(bytes + split, data.size() - split, crc16Ccitt(bytes, split)), whole16);
            const quint32 head = ZmodemCrc::crc32Update(0xffffffffu, bytes, split);
            QCOMPARE(~ZmodemCrc::crc32Update(head, bytes + split, data.size() - split), whole32);
        }
    }
};

QTEST_GUILESS_MAIN(TransferChecksTest)
#include "transfer_checks.moc"
