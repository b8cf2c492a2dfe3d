#include <QTest>

#include "comms/transfer/Crc16.h"
#include "comms/transfer/xmodem/BlockReader.h"
#include "comms/transfer/xmodem/XmodemBlock.h"

// Xmodem/Ymodem block framing: building, reading and block 0.
namespace {

using Event = BlockReader::Event;

struct Seen {
    Event event;
    int number;
    QByteArray data;
};

// Feeds the input in chunks of chunkSize and lists the events.
QList<Seen> readAll(const QByteArray &input, bool crc, int chunkSize)
{
    BlockReader reader;
    reader.setCrc(crc);
    QList<Seen> seen;
    for (qsizetype at = 0; at < input.size(); at += chunkSize) {
        const QByteArray chunk = input.mid(at, chunkSize);
        qsizetype used = 0;
        while (used < chunk.size()) {
            BlockReader::Result result;
            used += reader.read(chunk.constData() + used, chunk.size() - used, &result);
            if (result.event != Event::None)
                seen.append({result.event, result.number, result.data});
        }
    }
    if (reader.inBlock())
        seen.append({Event::None, -1, {}});
    return seen;
}

QByteArray withByte(QByteArray block, int index, char value)
{
    block[index] = value;
    return block;
}

} // namespace

class XmodemFramingTest : public QObject {
    Q_OBJECT
private slots:
    void checksum() { QCOMPARE(Xmodem::checksum("\xff\x02\x01", 3), quint8(0x02)); }

    void buildBlock_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("crc");
        QTest::addColumn<char>("header");
        QTest::newRow("128 checksum") << 128 << false << Xmodem::SOH;
        QTest::newRow("128 crc") << 128 << true << Xmodem::SOH;
        QTest::newRow("1k crc") << 1024 << true << Xmodem::STX;
    }
    void buildBlock()
    {
        QFETCH(int, size);
        QFETCH(bool, crc);
        QFETCH(char, header);
        const QByteArray block = Xmodem::buildBlock(0xfe, "abc", size, crc);
        QCOMPARE(block.size(), 3 + size + (crc ? 2 : 1));
        QCOMPARE(block.at(0), header);
        QCOMPARE(quint8(block.at(1)), quint8(0xfe));
        QCOMPARE(quint8(block.at(2)), quint8(0x01));
        QCOMPARE(block.mid(3, 3), QByteArray("abc"));
        QCOMPARE(block.mid(6, size - 3), QByteArray(size - 3, Xmodem::SUB));
        const QByteArray payload = block.mid(3, size);
        if (crc) {
            const quint16 sum = crc16Ccitt(payload.constData(), size);
            QCOMPARE(quint8(block.at(3 + size)), quint8(sum >> 8));
            QCOMPARE(quint8(block.at(4 + size)), quint8(sum & 0xff));
        } else {
            QCOMPARE(quint8(block.at(3 + size)), Xmodem::checksum(payload.constData(), size));
        }
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("crc");
        QTest::addColumn<QList<int>>("events"); // event, number pairs
        const auto ev = [](Event e, int n = 0) { return QList<int>{int(e), n}; };
        const QByteArray good = Xmodem::buildBlock(7, "data", 128, true);
        const QByteArray goodSum = Xmodem::buildBlock(7, "data", 128, false);
        const QByteArray big = Xmodem::buildBlock(200, QByteArray(1024, '\x18'), 1024, true);
        QTest::newRow("crc block") << good << true << ev(Event::Block, 7);
        QTest::newRow("checksum block") << goodSum << false << ev(Event::Block, 7);
        QTest::newRow("1k block of CAN bytes") << big << true << ev(Event::Block, 200);
        QTest::newRow("two blocks then EOT") << good + big + Xmodem::EOT << true
                                             << ev(Event::Block, 7) + ev(Event::Block, 200) + ev(Event::Eot);
        QTest::newRow("bad complement") << withByte(good, 2, 0x00) << true << ev(Event::BadBlock, 7);
        QTest::newRow("bad crc") << withByte(good, 130, 'X') << true << ev(Event::BadBlock, 7);
        QTest::newRow("bad checksum") << withByte(goodSum, 131, 0x00) << false << ev(Event::BadBlock, 7);
        QTest::newRow("data flipped") << withByte(good, 5, 'T') << true << ev(Event::BadBlock, 7);
        QTest::newRow("checksum block read as crc") << goodSum + '\x55' << true << ev(Event::BadBlock, 7);
        QTest::newRow("short block") << good.left(100) << true << ev(Event::None, -1);
        QTest::newRow("garbage then block")
            << QByteArray("\x00zz", 3) + good << true
            << ev(Event::Noise) + ev(Event::Noise) + ev(Event::Noise) + ev(Event::Block, 7);
        QTest::newRow("cancel") << QByteArray("\x18\x18") << true << ev(Event::Cancel);
        QTest::newRow("lone CAN before a block") << '\x18' + good << true << ev(Event::Block, 7);
        QTest::newRow("CAN, noise, CAN") << QByteArray("\x18z\x18") << true << ev(Event::Noise);
    }
    void reader()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, crc);
        QFETCH(QList<int>, events);
        for (const int chunk : {1, 7, 4096}) {
            const QList<Seen> seen = readAll(input, crc, chunk);
            QList<int> got;
            for (const Seen &s : seen)
                got << int(s.event) << s.number;
            for (int i = 0; i < events.size(); i += 2)
                if (events[i] != int(Event::Block) && events[i] != int(Event::BadBlock))
                    got[i + 1] = events[i + 1]; // the number only counts for blocks
            QCOMPARE(got, events);
            for (const Seen &s : seen)
                if (s.event == Event::Block)
                    QCOMPARE(s.data.size(), s.number == 200 ? 1024 : 128);
        }
        const QList<Seen> once = readAll(input, crc, 4096);
        if (!once.isEmpty() && once.first().event == Event::Block && once.first().number == 7)
            QCOMPARE(once.first().data, QByteArray("data") + QByteArray(124, Xmodem::SUB));
    }
};

QTEST_GUILESS_MAIN(XmodemFramingTest)
#include "xmodem_framing.moc"
