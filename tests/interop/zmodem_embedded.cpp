#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comms/transfer/ProtocolEngine.h"
#include "support/ChainSpy.h"
#include "support/LinkPair.h"

// A small receiver of the kind found in boot loaders, written here from the
// protocol description alone: a 1024-byte buffer, no full duplex, no
// overlapped I/O, CRC-16 only. After each ZCRCW it is busy "writing flash"
// and anything but XON that arrives then would be lost on real hardware.
namespace {

constexpr char ZDLE = 0x18;

quint16 bitwiseCrc16(const QByteArray &data)
{
    quint16 crc = 0;
    for (char ch : data) {
        crc ^= quint16(quint8(ch)) << 8;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

class TinyReceiver : public QObject {
public:
    explicit TinyReceiver(ByteLink *link)
        : link_(link)
    {
        connect(link, &ByteLink::received, this, [this](const QByteArray &bytes) { take(bytes); });
    }

    void start() { sendHeader(1, 0x00, 0x04, 0x00, 0x00); } // ZRINIT, buffer 1024, no flags

    QString violation;
    QByteArray file;
    QByteArray fileName;
    bool done = false;

private:
    void sendHeader(int type, quint8 p0, quint8 p1, quint8 p2, quint8 p3)
    {
        QByteArray raw;
        raw.append(char(type)).append(char(p0)).append(char(p1)).append(char(p2)).append(char(p3));
        const quint16 crc = bitwiseCrc16(raw);
        raw.append(char(crc >> 8)).append(char(crc & 0xff));
        link_->send("**\x18"
                    "B"
            + raw.toHex() + "\r\n");
    }
    void sendPosition(int type, quint32 pos) { sendHeader(type, pos, pos >> 8, pos >> 16, pos >> 24); }

    void fail(const QString &why)
    {
        if (violation.isEmpty())
            violation = why;
    }

    void take(const QByteArray &bytes)
    {
        for (char ch : bytes) {
            if (busy_) {
                if (ch != 0x11)
                    fail(QStringLiteral("data sent while the receiver was busy"));
                continue;
            }
            in_.append(ch);
        }
        parse();
    }

    // Reads one escaped byte from in_ at pos_; -1 when more input is needed,
    // -2 for a frame end (stored in end_).
    int next()
    {
        for (;;) {
            if (pos_ >= in_.size())
                return -1;
            const quint8 c = quint8(in_[pos_]);
            if (c == 0x11 || c == 0x13) {
                ++pos_;
                continue;
            }
            if (c != quint8(ZDLE)) {
                ++pos_;
                return c;
            }
            if (pos_ + 1 >= in_.size())
                return -1;
            const quint8 e = quint8(in_[pos_ + 1]);
            pos_ += 2;
            if (e >= 'h' && e <= 'k') {
                end_ = e;
                return -2;
            }
            if (e == 'l')
                return 0x7f;
            if (e == 'm')
                return 0xff;
            return e ^ 0x40;
        }
    }

    void parse()
    {
        for (;;) {
            const qsizetype start = pos_;
            if (!parseOne()) {
                pos_ = start;
                break;
            }
        }
        in_.remove(0, pos_);
        pos_ = 0;
    }

    bool parseOne()
    {
        if (busy_) {
            for (; pos_ < in_.size(); ++pos_)
                if (in_[pos_] != 0x11)
                    fail(QStringLiteral("data sent while the receiver was busy"));
            return false;
        }
        if (inData_)
            return parseSubpacket();
        const qsizetype star = in_.indexOf('*', pos_);
        if (star < 0) {
            pos_ = in_.size();
            return false;
        }
        pos_ = star;
        while (pos_ < in_.size() && in_[pos_] == '*')
            ++pos_;
        if (pos_ + 1 >= in_.size())
            return false;
        if (in_[pos_] != ZDLE) {
            return true; // not a header: keep hunting
        }
        const char kind = in_[pos_ + 1];
        pos_ += 2;
        QByteArray raw;
        if (kind == 'B') {
            if (pos_ + 14 > in_.size())
                return false;
            raw = QByteArray::fromHex(in_.mid(pos_, 14));
            pos_ += 14;
        } else if (kind == 'A') {
            while (raw.size() < 7) {
                const int v = next();
                if (v == -1)
                    return false;
                if (v < 0) {
                    fail(QStringLiteral("frame end inside a header"));
                    return true;
                }
                raw.append(char(v));
            }
        } else {
            fail(QStringLiteral("header kind %1 not allowed").arg(kind));
            return true;
        }
        if (bitwiseCrc16(raw) != 0) {
            fail(QStringLiteral("bad header CRC"));
            return true;
        }
        header(quint8(raw[0]),
            quint8(raw[1]) | quint8(raw[2]) << 8 | quint8(raw[3]) << 16 | quint8(raw[4]) << 24);
        return true;
    }

    bool parseSubpacket()
    {
        QByteArray data;
        for (;;) {
            const int v = next();
            if (v == -1)
                return false;
            if (v == -2)
                break;
            data.append(char(v));
        }
        QByteArray check;
        while (check.size() < 2) {
            const int v = next();
            if (v == -1)
                return false;
            check.append(char(v));
        }
        if (bitwiseCrc16(data + char(end_) + check) != 0) {
            fail(QStringLiteral("bad data CRC"));
            inData_ = false;
            return true;
        }
        subpacket(data);
        return true;
    }

    void header(quint8 type, quint32 pos)
    {
        headerType_ = type;
        switch (type) {
        case 0: // ZRQINIT
            start();
            break;
        case 4: // ZFILE
        case 10: // ZDATA
            if (type == 10 && pos != quint32(file.size()))
                fail(QStringLiteral("data at %1, expected %2").arg(pos).arg(file.size()));
            inData_ = true;
            frameBytes_ = 0;
            break;
        case 11: // ZEOF
            if (pos == quint32(file.size()))
                start();
            break;
        case 8: // ZFIN
            sendPosition(8, 0);
            done = true;
            break;
        default:
            break;
        }
    }

    void subpacket(const QByteArray &data)
    {
        const bool frameEnds = end_ == 'h' || end_ == 'k';
        if (headerType_ == 4) {
            fileName = data.left(data.indexOf('\0'));
            inData_ = false;
            sendPosition(9, 0); // ZRPOS
            return;
        }
        file.append(data);
        frameBytes_ += data.size();
        if (frameBytes_ > 1024)
            fail(QStringLiteral("%1 bytes without a ZCRCW into a 1024-byte buffer").arg(frameBytes_));
        if (frameEnds)
            inData_ = false;
        if (end_ == 'k') {
            // Busy writing: the ZACK goes out a little later.
            busy_ = true;
            QTimer::singleShot(5, this, [this] {
                busy_ = false;
                sendPosition(3, quint32(file.size()));
            });
        } else if (end_ == 'j') {
            sendPosition(3, quint32(file.size()));
        }
    }

    ByteLink *link_;
    QByteArray in_;
    qsizetype pos_ = 0;
    quint8 end_ = 0;
    quint8 headerType_ = 0;
    bool inData_ = false;
    bool busy_ = false;
    int frameBytes_ = 0;
};

} // namespace

class ZmodemEmbeddedTest : public QObject {
    Q_OBJECT
private slots:
    void smallReceiverGetsFileIntact_data()
    {
        QTest::addColumn<bool>("eightK");
        QTest::newRow("1k blocks") << false;
        QTest::newRow("8k blocks asked") << true;
    }
    void smallReceiverGetsFileIntact()
    {
        QFETCH(bool, eightK);
        QTemporaryDir dir;
        QByteArray content;
        for (int i = 0; i < 20000; ++i)
            content.append(char((i * 7 + i / 256) & 0xff));
        content.append("@\r\x18\x18\x18\x18\x18\x11\x13", 9);
        const QString path = dir.filePath(QStringLiteral("fw.bin"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();

        LinkPair links;
        TinyReceiver receiver(&links.b);
        ProtocolEngine engine;
        engine.setProtocolType(ProtocolType::Zmodem);
        engine.options().zmodem8K = eightK;
        engine.setFileName(path);
        engine.setLink(&links.a);
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(engine.startTransmit());
        receiver.start();
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QVERIFY2(receiver.violation.isEmpty(), qPrintable(receiver.violation));
        QCOMPARE(finished.first().first().toInt(), 0);
        QVERIFY(receiver.done);
        QCOMPARE(receiver.fileName, QByteArray("fw.bin"));
        QCOMPARE(receiver.file, content);
    }
};

QTEST_GUILESS_MAIN(ZmodemEmbeddedTest)
#include "zmodem_embedded.moc"
