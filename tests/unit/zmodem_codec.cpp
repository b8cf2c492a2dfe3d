#include <QTest>

#include "comms/transfer/zmodem/ZmodemDecoder.h"
#include "comms/transfer/zmodem/ZmodemEncoder.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>

using namespace Zmodem;

// The Zmodem encoder and decoder against each other: what the encoder puts
// on the line decodes to the same headers and data whatever the chunking,
// and never carries a byte the line may eat or act on.
namespace {

class Collector : public ZmodemSink {
public:
    void zHeader(const Header &header) override { headers.append(header.position()); }
    void zData(const quint8 *data, int length, quint8 frameEnd) override
    {
        this->data.append(reinterpret_cast<const char *>(data), length);
        ends.append(char(frameEnd));
    }
    void zBadHeader() override { ++bad; }
    void zBadData() override { ++bad; }
    void zCancelled() override { ++bad; }

    QList<quint32> headers;
    QByteArray data;
    QByteArray ends;
    int bad = 0;
};

// Every byte value alone, after '@' and after '@' with the high bit, and a
// CAN run long enough to abort if it went out unescaped; then random data.
QByteArray payload()
{
    QByteArray data;
    for (int c = 0; c < 256; ++c)
        data.append(char(c)).append('@').append(char(c)).append('\xc0').append(char(c));
    data.append(QByteArray(7, '\x18'));
    return data + TestFiles::randomBytes(40000, 11);
}

// The first raw byte the line must not see, or -1: after ZDLE comes an
// escape; elsewhere no DLE, XON, XOFF (any high bit), no CR after '@', and
// with escaped controls no control character at all.
int firstUnescaped(const QByteArray &line, bool controls)
{
    quint8 last = 0;
    for (int i = 0; i < line.size(); ++i) {
        const auto c = quint8(line[i]);
        const int low = c & 0x7f;
        const bool flow = low == 0x10 || low == XON || low == XOFF;
        if (flow || (low == '\r' && (last & 0x7f) == '@') || (controls && (c & 0x60) == 0 && c != ZDLE))
            return i;
        if (c == ZDLE)
            ++i;
        last = i < line.size() ? quint8(line[i]) : 0;
    }
    return -1;
}

// The line with flow control bytes inserted, as a modem or terminal server
// may add them; the decoder drops them wherever they fall.
QByteArray withFlowControl(const QByteArray &line)
{
    QByteArray out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (i % 97 == 5)
            out.append(char(XON));
        if (i % 101 == 50)
            out.append(char(XOFF | 0x80));
        out.append(line[i]);
    }
    return out;
}

} // namespace

class ZmodemCodecTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<bool>("controls");
        QTest::addColumn<bool>("crc32");
        QTest::newRow("crc16") << false << false;
        QTest::newRow("crc32") << false << true;
        QTest::newRow("escaped controls, crc16") << true << false;
        QTest::newRow("escaped controls, crc32") << true << true;
    }

    void roundTrip()
    {
        QFETCH(bool, controls);
        QFETCH(bool, crc32);
        const QByteArray data = payload();
        ZmodemEncoder encoder;
        encoder.setEscapeControls(controls);
        // A position made of bytes that need escaping.
        const quint32 position = 0x93181140;
        QByteArray line;
        encoder.binaryHeader(line, Header::withPosition(ZDATA, position), crc32);
        QRandomGenerator generator(5);
        QByteArray ends;
        for (qsizetype at = 0; at < data.size();) {
            const qsizetype length
                = qMin<qsizetype>(generator.bounded(1, MaxSubpacket + 1), data.size() - at);
            const quint8 end = at + length == data.size() ? ZCRCE : (ends.size() % 3 ? ZCRCG : ZCRCQ);
            encoder.dataSubpacket(line, data.constData() + at, length, end, crc32);
            ends.append(char(end));
            at += length;
        }
        const qsizetype header = line.indexOf(crc32 ? "*\x18"
                                                      "C"
                                                    : "*\x18"
                                                      "A");
        QCOMPARE(header, 0);
        QCOMPARE(firstUnescaped(line.mid(3), controls), -1);

        const QByteArray noisy = withFlowControl(line);
        for (const int chunk : {1, 7, 4096, int(noisy.size())}) {
            Collector sink;
            ZmodemDecoder decoder(&sink);
            for (qsizetype at = 0; at < noisy.size(); at += chunk)
                decoder.feed(reinterpret_cast<const quint8 *>(noisy.constData()) + at,
                    qMin<qsizetype>(chunk, noisy.size() - at));
            QCOMPARE(sink.bad, 0);
            QCOMPARE(sink.headers, QList<quint32>{position});
            QCOMPARE(sink.ends, ends);
            QVERIFY(sink.data == data);
        }
    }
};

QTEST_GUILESS_MAIN(ZmodemCodecTest)
#include "zmodem_codec.moc"
