#include <QTest>

#include "comms/transfer/kermit/KermitAttributes.h"
#include "comms/transfer/kermit/KermitCodec.h"
#include "comms/transfer/kermit/KermitPacket.h"
#include "comms/transfer/kermit/KermitParams.h"
#include "support/KermitPeers.h"

#include <vector>

using Kermit::PacketReader;

namespace {

std::vector<PacketReader::Result> readAll(const QByteArray &bytes, int checkType, int chunk)
{
    PacketReader reader;
    reader.setCheckType(checkType);
    std::vector<PacketReader::Result> out;
    for (qsizetype i = 0; i < bytes.size(); i += chunk)
        reader.feed(bytes.constData() + i, qMin<qsizetype>(chunk, bytes.size() - i),
            [&](const PacketReader::Result &r) { out.push_back(r); });
    return out;
}

} // namespace

// The Kermit wire format: prefix encoding, packet framing and checks,
// Send-Init negotiation, attributes.
class KermitWireTest : public QObject {
    Q_OBJECT
private slots:
    void codecRoundTrip_data()
    {
        QTest::addColumn<char>("qbin");
        QTest::addColumn<char>("rept");
        QTest::newRow("8-bit clean, no repeats") << char(0) << char(0);
        QTest::newRow("8-bit quoting") << '&' << char(0);
        QTest::newRow("repeats") << char(0) << '~';
        QTest::newRow("8-bit quoting and repeats") << '&' << '~';
    }
    void codecRoundTrip()
    {
        QFETCH(char, qbin);
        QFETCH(char, rept);
        const KermitCodec codec('#', qbin, rept);
        const QByteArray data = TestFiles::everyByteValue(3) + QByteArray(200, '~') + QByteArray(5, '\x01')
            + QByteArray(2, '#') + QByteArray(97, '\xff') + TestFiles::randomBytes(5000, 7) + "&&&##~";
        // Encode in packet-sized pieces as the sender does.
        QByteArray whole;
        qsizetype done = 0;
        while (done < data.size()) {
            QByteArray field;
            done += codec.encode(data.constData() + done, data.size() - done, 90, field);
            QVERIFY(field.size() <= 90);
            for (const char c : std::as_const(field)) {
                // MARK, CR, LF, XON, XOFF, NUL and IAC never reach the line.
                for (const char risky : {'\x01', '\r', '\n', '\x11', '\x13', '\0', '\xff', '\x81', '\x8d'})
                    QVERIFY2(c != risky,
                        qPrintable(QStringLiteral("0x%1 left unprefixed").arg(uchar(risky), 0, 16)));
                if (qbin)
                    QVERIFY2(!(c & 0x80), "8th bit left set under 8-bit quoting");
            }
            QVERIFY(codec.decode(field, whole));
        }
        QCOMPARE(whole, data);
        if (rept)
            QVERIFY(codec.encode(QByteArray(94, 'x')).size() == 3);
    }

    void codecRejectsTruncatedPrefixes()
    {
        const KermitCodec codec('#', '&', '~');
        QByteArray out;
        for (const char *bad : {"ab#", "&", "~", "~(", "~\x10x"})
            QVERIFY2(!codec.decode(bad, out), bad);
    }

    void crcMatchesKermitReference() { QCOMPARE(Kermit::crc16("123456789", 9), quint16(0x2189)); }

    void packetRoundTrip_data()
    {
        QTest::addColumn<int>("checkType");
        QTest::addColumn<int>("dataLength");
        QTest::addColumn<int>("chunk");
        for (int check = 1; check <= 3; ++check) {
            QTest::addRow("check %d, short, whole", check) << check << 60 << 100000;
            QTest::addRow("check %d, long, byte by byte", check) << check << 3000 << 1;
            QTest::addRow("check %d, longest, in pieces", check) << check << 9024 - 5 - check << 777;
        }
    }
    void packetRoundTrip()
    {
        QFETCH(int, checkType);
        QFETCH(int, dataLength);
        QFETCH(int, chunk);
        QByteArray data(dataLength, Qt::Uninitialized);
        for (int i = 0; i < dataLength; ++i)
            data[i] = static_cast<char>(33 + (i * 7) % 90);
        const QByteArray noise("\r\nlogin: \x01\x7f junk");
        const QByteArray stream = noise + Kermit::buildPacket({5, 'D', data}, checkType)
            + Kermit::buildPacket({63, 'Y', {}}, checkType, '\r', 3, '\0');
        const auto results = readAll(stream, checkType, chunk);
        std::vector<PacketReader::Result> good;
        for (const auto &r : results)
            if (r.ok)
                good.push_back(r);
        QCOMPARE(int(good.size()), 2);
        QCOMPARE(good[0].packet.seq, 5);
        QCOMPARE(good[0].packet.type, 'D');
        QCOMPARE(good[0].packet.data, data);
        QCOMPARE(good[1].packet.seq, 63);
        QCOMPARE(good[1].packet.data, QByteArray());
    }

    // Any single damaged byte must reject the packet, and the reader must
    // still find the intact packet that follows.
    void damagedPacketsAreRejected()
    {
        const QByteArray packet = Kermit::buildPacket({9, 'D', QByteArray(300, 'k') + "xyz"}, 3, 0);
        const QByteArray next = Kermit::buildPacket({10, 'Z', {}}, 3);
        for (int i = 1; i < packet.size(); ++i) {
            QByteArray damaged = packet;
            damaged[i] = static_cast<char>(damaged[i] ^ 0x04);
            const auto results = readAll(damaged + next, 3, 64);
            int goodCount = 0;
            for (const auto &r : results) {
                if (!r.ok)
                    continue;
                ++goodCount;
                QVERIFY2(r.packet.type == 'Z', qPrintable(QStringLiteral("byte %1 accepted").arg(i)));
            }
            QCOMPARE(goodCount, 1);
        }
        // An error packet passes with any block check, but not with a
        // sequence number outside 0-63.
        QByteArray error("\x01#\x14"
                         "E");
        Kermit::appendCheck(error, error.constData() + 1, 3, 1);
        const auto results = readAll(error + next, 3, 64);
        QCOMPARE(int(results.size()), 2);
        QVERIFY(!results[0].ok);
        QVERIFY(results[1].ok && results[1].packet.type == 'Z');
    }

    void sendInitNegotiation_data()
    {
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<int>("check");
        QTest::addColumn<char>("qbin");
        QTest::addColumn<char>("rept");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("sendMax");
        QTest::addColumn<bool>("streaming");
        // G-Kermit's own Send-Init: long packets to 4000, no windows, streaming.
        QTest::newRow("gkermit") << QByteArray("~' @-#Y3~*!J*0+++J\"U1@") << 3 << char(0) << '~' << 1 << 4000
                                 << true;
        // C-Kermit on a serial line: windows of 30, no streaming.
        QTest::newRow("ckermit") << QByteArray("~/ @-#Y3~^>J)0___F\"U1A@") << 3 << char(0) << '~' << 16
                                 << 3999 << false;
        QTest::newRow("minimal old Kermit")
            << QByteArray("P* @-#") << 1 << char(0) << char(0) << 1 << 48 << false;
        QTest::newRow("asks for 8-bit quoting, block check 2")
            << QByteArray("~* @-#&2 ") << 1 << '&' << char(0) << 1 << 94 << false;
        // Prefixes that equal a control prefix (ours '#', theirs '~') are refused.
        QTest::newRow("clashing prefixes")
            << QByteArray("~* @-~#3~") << 3 << char(0) << char(0) << 1 << 94 << false;
    }
    void sendInitNegotiation()
    {
        QFETCH(QByteArray, theirs);
        QFETCH(int, check);
        QFETCH(char, qbin);
        QFETCH(char, rept);
        QFETCH(int, window);
        QFETCH(int, sendMax);
        QFETCH(bool, streaming);
        KermitParams mine;
        mine.maxLength = 9024;
        mine.longPackets = true;
        mine.windows = true;
        mine.windowSize = 16;
        mine.checkType = 3;
        mine.qbin = 'Y';
        mine.rept = '~';
        mine.attributes = true;
        mine.streaming = true;
        // Our own parameters survive their encoding.
        const KermitParams back = KermitParams::decode(mine.encode());
        QCOMPARE(back.maxLength, 9024);
        QVERIFY(back.windows && back.longPackets && back.attributes && back.streaming);
        QCOMPARE(back.windowSize, 16);

        const KermitLink link = negotiate(mine, KermitParams::decode(theirs));
        QCOMPARE(link.checkType, check);
        QCOMPARE(link.qbin, qbin);
        QCOMPARE(link.rept, rept);
        QCOMPARE(link.windowSize, window);
        QCOMPARE(link.sendMaxLength, sendMax);
        QCOMPARE(link.streaming, streaming);
    }

    void attributesRoundTrip()
    {
        KermitAttributes a;
        a.size = 123456789012;
        a.modified = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58));
        a.disposition = 'A';
        const KermitAttributes b = KermitAttributes::decode(a.encode());
        QCOMPARE(b.size, a.size);
        QVERIFY(b.exactSize);
        QCOMPARE(b.modified, a.modified);
        QCOMPARE(b.disposition, 'A');
        QVERIFY(!b.text);
        // Kilobytes alone give an estimate only; a text type is recognised;
        // a length running past the end stops the parse without harm.
        const KermitAttributes c = KermitAttributes::decode("!#120\"#AMJ#~1999");
        QCOMPARE(c.size, qint64(120 * 1024));
        QVERIFY(!c.exactSize);
        QVERIFY(c.text);
        QVERIFY(!c.modified.isValid());
        // A kilobyte count too large for a byte count is no size at all.
        QCOMPARE(KermitAttributes::decode("!39223372036854775807").size, qint64(-1));
    }
};

QTEST_GUILESS_MAIN(KermitWireTest)
#include "kermit_wire.moc"
