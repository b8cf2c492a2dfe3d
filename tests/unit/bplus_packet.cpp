#include <QTest>

#include "comms/transfer/bplus/BPlusPacket.h"
#include "comms/transfer/bplus/BPlusParams.h"
#include "comms/transfer/bplus/BPlusTransferPackets.h"

using namespace BPlus;

namespace {

QList<Event> parse(const QByteArray &bytes, bool crc)
{
    Parser parser;
    parser.setCrc(crc);
    QList<Event> events;
    parser.feed(bytes, events);
    return events;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(BPlus::QuoteSet)

class BPlusPacketTest : public QObject {
    Q_OBJECT
private slots:
    // The sample packet of the protocol description, in both check methods.
    void encodesPublishedSample()
    {
        const QByteArray head = bytes({0x10, 0x42, 0x37, 0x54, 0x44, 0x41, 0x53, 0x2e, 0x43, 0x03});
        QCOMPARE(encodePacket(7, 'T', "DAS.C", Encoding{false, defaultQuoteSet()}), head + bytes({0x2a}));
        QCOMPARE(
            encodePacket(7, 'T', "DAS.C", Encoding{true, defaultQuoteSet()}), head + bytes({0x57, 0xff}));
    }

    void quotesControlCharacters()
    {
        QCOMPARE(encodePacket(1, 'N', bytes({0x13}), Encoding{}).mid(4, 2), bytes({0x10, 'S'}));
        QCOMPARE(encodePacket(1, 'N', bytes({0x93}), Encoding{false, fullQuoteSet()}).mid(4, 2),
            bytes({0x10, 's'}));
        // Framing characters are quoted even when a peer's mask leaves them out.
        QCOMPARE(encodePacket(1, 'N', bytes({0x03, 0x05, 0x10, 0x15}), Encoding{false, QuoteSet()}).mid(4, 8),
            bytes({0x10, 'C', 0x10, 'E', 0x10, 'P', 0x10, 'U'}));
    }

    void roundTripsEveryByte_data()
    {
        QTest::addColumn<bool>("crc");
        QTest::addColumn<QuoteSet>("quote");
        QTest::newRow("checksum default") << false << defaultQuoteSet();
        QTest::newRow("crc default") << true << defaultQuoteSet();
        QTest::newRow("crc full") << true << fullQuoteSet();
        QTest::newRow("crc minimal") << true << QuoteSet();
    }
    void roundTripsEveryByte()
    {
        QFETCH(bool, crc);
        QFETCH(QuoteSet, quote);
        QByteArray body;
        for (int i = 0; i < 1024; ++i)
            body.append(static_cast<char>(i * 7 + i / 256));
        for (int seq = 0; seq < 10; ++seq) {
            const QList<Event> events = parse(encodePacket(seq, 'N', body, Encoding{crc, quote}), crc);
            QCOMPARE(events.size(), 1);
            QCOMPARE(events[0].kind, Event::Packet);
            QCOMPARE(events[0].seq, seq);
            QCOMPARE(events[0].body, body);
        }
    }

    // One damaged byte anywhere in a CRC packet is never taken as a good
    // packet with other contents.
    void rejectsEveryDamagedByte()
    {
        const QByteArray body
            = QByteArray("every byte counts ") + bytes({0x00, 0x03, 0x10, 0x13, 0x93, 0xff});
        const QByteArray wire = encodePacket(4, 'N', body, Encoding{true, defaultQuoteSet()});
        for (int at = 0; at < wire.size(); ++at) {
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray damaged = wire;
                damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
                for (const Event &event : parse(damaged + wire, true))
                    if (event.kind == Event::Packet)
                        QCOMPARE(event.body, body);
            }
        }
    }

    void recognisesControlSequences_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<int>("seq");
        QTest::newRow("ack") << bytes({0x10, '3'}) << QList<int>{Event::Ack} << 3;
        QTest::newRow("wait") << bytes({0x10, ';'}) << QList<int>{Event::Wait} << 0;
        QTest::newRow("nak") << bytes({0x15}) << QList<int>{Event::NegativeAck} << 0;
        QTest::newRow("enq") << bytes({0x05}) << QList<int>{Event::Enquiry} << 0;
        QTest::newRow("enquiry reply")
            << bytes({0x10, '+', '+', 0x10, '0'}) << QList<int>{Event::EnquiryReply, Event::Ack} << 0;
        QTest::newRow("panic abort") << bytes({0x10, 0x10, 0x10, 0x10}) << QList<int>{Event::PanicAbort} << 0;
        QTest::newRow("interrogation") << bytes({0x1b, 'I'}) << QList<int>{Event::Interrogation} << 0;
        QTest::newRow("text is skipped") << QByteArray("Hello, world\r\n") << QList<int>{} << 0;
        QTest::newRow("bad sequence digit")
            << bytes({0x10, 'B', 'x', 'N', 0x03, 0}) << QList<int>{Event::BadPacket} << 0;
        QTest::newRow("enq ends a packet")
            << bytes({0x10, 'B', '1', 'N', 'a', 'b', 0x05}) << QList<int>{Event::Enquiry} << 0;
        QTest::newRow("oversized body") << bytes({0x10, 'B', '1', 'N'}) + QByteArray(maxBody + 1, 'x')
                                        << QList<int>{Event::BadPacket} << 1;
    }
    void recognisesControlSequences()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<int>, kinds);
        QFETCH(int, seq);
        const QList<Event> events = parse(input, true);
        QList<int> seen;
        for (const Event &event : events)
            seen << event.kind;
        QCOMPARE(seen, kinds);
        if (!events.isEmpty())
            QCOMPARE(events[0].seq, seq);
    }

    // The negotiation example of the protocol description (its masks placed
    // by the bit table: 0xd4 stands for 0x10-0x17, 0x50 for 0x90-0x97).
    void negotiatesAsPublished()
    {
        const Params initiator = Params::decode(bytes(
            {0x01, 0x01, 0x08, 0x01, 0x01, 0x00, 0x14, 0x00, 0xd4, 0x00, 0, 0, 0, 0, 0x01, 0x00, 0x00}));
        const Params responder = Params::decode(
            bytes({0x00, 0x01, 0x04, 0x00, 0x01, 0x00, 0x54, 0x00, 0xd4, 0x00, 0x40, 0x00, 0x50, 0x00}));
        const Session a = negotiate(initiator, responder);
        const Session b = negotiate(responder, initiator);
        QCOMPARE(a.sendAhead, 1);
        QCOMPARE(b.sendAhead, 0);
        QCOMPARE(a.blockSize, 512);
        QCOMPARE(b.blockSize, 512);
        QVERIFY(!a.crc && !b.crc);
        QCOMPARE(a.downloadResume, 0);
        QuoteSet expected;
        for (int c : {0x01, 0x03, 0x05, 0x10, 0x11, 0x13, 0x15, 0x81, 0x91, 0x93})
            expected.set(c);
        QCOMPARE(a.quote, expected);
        QCOMPARE(b.quote, expected);
        QCOMPARE(Params::decode(Params().encode()).encode(), Params().encode());
    }

    void transferPacketBodies()
    {
        ResumeOffer offer;
        QVERIFY(decodeResumeOffer(encodeResumeOffer(ResumeOffer{123456789012, 0xbeef}), &offer));
        QCOMPARE(offer.length, 123456789012);
        QCOMPARE(offer.crc, quint16(0xbeef));
        for (const QByteArray &bad : {QByteArray("r"), QByteArray("r12"), QByteArray("r-1 5"),
                 QByteArray("r1 70000"), QByteArray("x1 2")})
            QVERIFY2(!decodeResumeOffer(bad, &offer), bad.constData());

        // The file information example of the protocol description.
        const FileInfo sample = decodeFileInfo(
            QByteArray("IA") + bytes({0}) + "55387 300 19880422 52480 0 0 " + bytes({9}) + "BPLUS.DOC");
        QCOMPARE(sample.dataType, 'A');
        QCOMPARE(sample.length, 55387);
        QVERIFY(!sample.modified.isValid());

        FileInfo info;
        info.length = 42;
        info.modified = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC);
        const FileInfo back = decodeFileInfo(encodeFileInfo(info, "name.bin"));
        QCOMPARE(back.length, 42);
        QCOMPARE(back.modified, info.modified);
        QCOMPARE(decodeFileInfo("I").length, -1);
    }
};

QTEST_GUILESS_MAIN(BPlusPacketTest)
#include "bplus_packet.moc"
