#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "support/ChainSpy.h"
#include "support/LinkPair.h"
#include "support/NoiseRelay.h"
#include "support/PacedProgram.h"
#include "support/TestFiles.h"
#include "support/XferTool.h"
#include "support/ZmodemPeer.h"

// Zmodem over damaged lines: the outcome is the identical file or a clean
// failure, never a wrong file reported as received. Also cancels from the
// other side and a line that drops mid-file.
namespace {

constexpr int transferTimeoutMs = 300000;

struct Ends {
    ProtocolEngine sender;
    ProtocolEngine receiver;
    ChainSpy<int> sent{sender.events().finish};
    ChainSpy<int> received{receiver.events().finish};
};

// The receiver's verdict must match the file it leaves behind.
void checkOutcome(int code, const QString &dir, const QByteArray &data)
{
    const QStringList files = QDir(dir).entryList(QDir::Files);
    if (code == 0) {
        QCOMPARE(files, QStringList{QStringLiteral("n.bin")});
        QVERIFY(TestFiles::read(QDir(dir).filePath("n.bin")) == data);
    } else {
        QVERIFY2(!files.contains(QStringLiteral("n.bin")), "a failed receive left a complete-looking file");
    }
}

} // namespace

class ZmodemNoiseTest : public QObject {
    Q_OBJECT
private slots:
    void oursAgainstOurs_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<double>("flipRate");
        QTest::addColumn<double>("dropRate");
        QTest::addColumn<bool>("crc32");
        QTest::addColumn<int>("size");
        for (quint32 seed = 1; seed <= 4; ++seed) {
            QTest::addRow("flips seed %u", seed) << seed << 2e-5 << 0.0 << true << 1500000;
            QTest::addRow("drops seed %u", seed) << seed << 0.0 << 2e-5 << true << 1500000;
            QTest::addRow("both crc16 seed %u", seed) << seed << 1e-5 << 1e-5 << false << 1500000;
        }
        QTest::newRow("heavy") << quint32(9) << 1e-3 << 1e-3 << true << 100000;
    }
    void oursAgainstOurs()
    {
        QFETCH(quint32, seed);
        QFETCH(double, flipRate);
        QFETCH(double, dropRate);
        QFETCH(bool, crc32);
        QFETCH(int, size);
        QTemporaryDir from;
        QTemporaryDir to;
        const QByteArray data = TestFiles::randomBytes(size, seed);
        QFile f(from.filePath("n.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
        f.close();

        LinkPair left;
        LinkPair right;
        NoiseRelay relay(&left.b, &right.a, {seed, flipRate, dropRate, 200, -1});
        Ends ends;
        for (ProtocolEngine *e : {&ends.sender, &ends.receiver}) {
            e->setProtocolType(ProtocolType::Zmodem);
            e->options().zmodemCrc32 = crc32;
        }
        ends.sender.setFileName(f.fileName());
        ends.sender.setLink(&left.a);
        ends.receiver.setDestinationDirectory(to.path());
        ends.receiver.setLink(&right.b);
        QVERIFY(ends.receiver.startReceive());
        QVERIFY(ends.sender.startTransmit());
        QTRY_VERIFY_WITH_TIMEOUT(!ends.received.isEmpty(), transferTimeoutMs);
        checkOutcome(ends.received.first().first().toInt(), to.path(), data);
        QVERIFY(relay.bytesFlipped() + relay.bytesDropped() > 0);
    }

    void againstLrzsz_data()
    {
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 3; ++seed) {
            QTest::addRow("sz to us, seed %u", seed) << false << seed;
            QTest::addRow("us to rz, seed %u", seed) << true << seed;
        }
    }
    void againstLrzsz()
    {
        QFETCH(bool, weSend);
        QFETCH(quint32, seed);
        QTemporaryDir from;
        QTemporaryDir to;
        const QByteArray data = TestFiles::randomBytes(800000, seed + 100);
        QFile f(from.filePath("n.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
        f.close();

        ZmodemPeer peer;
        if (weSend)
            QVERIFY(
                peer.start(ZmodemPeer::Line::Pipe, QStringLiteral("rz"), {QStringLiteral("-q")}, to.path()));
        else
            QVERIFY(peer.start(ZmodemPeer::Line::Pipe, QStringLiteral("sz"),
                {QStringLiteral("-q"), f.fileName()}, from.path()));
        LinkPair ours;
        NoiseRelay relay(peer.link(), &ours.a, {seed, 1e-5, 1e-5, 200, -1});
        ProtocolEngine engine;
        engine.setProtocolType(ProtocolType::Zmodem);
        engine.setLink(&ours.b);
        engine.setFileName(f.fileName());
        engine.setDestinationDirectory(to.path());
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(weSend ? engine.startTransmit() : engine.startReceive());
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), transferTimeoutMs);
        const int code = finished.first().first().toInt();
        if (weSend) {
            // Our success must mean rz got the file and said so.
            QTRY_VERIFY_WITH_TIMEOUT(peer.hasExited(), 60000);
            if (code == 0) {
                QCOMPARE(peer.exitCode(), 0);
                QVERIFY(TestFiles::read(to.filePath("n.bin")) == data);
            }
        } else {
            checkOutcome(code, to.path(), data);
        }
    }

    // tarnex-xfer into rz through a paced line that flips bits and drops
    // bytes (ten times 115200 bit/s, to keep it short). Every run completes,
    // and the line carries some resent data, not the pipes full of stale
    // data that each restart used to queue behind.
    void xferToRzOnNoisyLine_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {2u, 7u, 13u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void xferToRzOnNoisyLine()
    {
        QFETCH(quint32, seed);
        QTemporaryDir from;
        QTemporaryDir to;
        const QByteArray data = TestFiles::randomBytes(64 * 1024, seed);
        const QString file = TestFiles::writeIn(from.path(), QStringLiteral("n.bin"), data);
        constexpr int bytesPerSecond = 115200;
        PacedProgram sender(bytesPerSecond);
        PacedProgram receiver(bytesPerSecond);
        NoiseRelay relay(&sender, &receiver, {seed, 1e-4, 2e-5, 0, -1});
        QVERIFY(
            receiver.start(QStringLiteral("rz"), {QStringLiteral("-q"), QStringLiteral("-b")}, to.path()));
        QVERIFY(sender.start(XferTool::path(),
            {QStringLiteral("send"), QStringLiteral("--protocol"), QStringLiteral("zmodem"), file},
            from.path()));
        QTRY_VERIFY_WITH_TIMEOUT(sender.hasExited() && receiver.hasExited(), transferTimeoutMs);
        QVERIFY2(receiver.exitCode() == 0, receiver.diagnostics().constData());
        QVERIFY2(sender.exitCode() == 0, sender.diagnostics().constData());
        QVERIFY(TestFiles::read(to.filePath(QStringLiteral("n.bin"))) == data);
        QVERIFY2(sender.bytesTaken() < 4 * data.size(), QByteArray::number(sender.bytesTaken()).constData());
    }

    void otherSideCancels_data()
    {
        QTest::addColumn<bool>("senderCancels");
        QTest::newRow("sender cancels") << true;
        QTest::newRow("receiver cancels") << false;
    }
    void otherSideCancels()
    {
        QFETCH(bool, senderCancels);
        QTemporaryDir from;
        QTemporaryDir to;
        QFile f(from.filePath("n.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(TestFiles::randomBytes(20 * 1024 * 1024, 5));
        f.close();
        LinkPair links;
        Ends ends;
        for (ProtocolEngine *e : {&ends.sender, &ends.receiver})
            e->setProtocolType(ProtocolType::Zmodem);
        ends.sender.setFileName(f.fileName());
        ends.sender.setLink(&links.a);
        ends.receiver.setDestinationDirectory(to.path());
        ends.receiver.setLink(&links.b);
        // Paced, so the transfer cannot end before the cancel is seen.
        links.a.setBytesPerSecond(4 * 1024 * 1024);
        QVERIFY(ends.receiver.startReceive());
        QVERIFY(ends.sender.startTransmit());
        ProtocolEngine &canceller = senderCancels ? ends.sender : ends.receiver;
        QTRY_VERIFY_WITH_TIMEOUT(canceller.status().bytesDone > 100000, 60000);
        canceller.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!ends.sent.isEmpty() && !ends.received.isEmpty(), 60000);
        ChainSpy<int> &cancelled = senderCancels ? ends.received : ends.sent;
        ChainSpy<int> &cancelling = senderCancels ? ends.sent : ends.received;
        QCOMPARE(cancelling.first().first().toInt(), int(TransferResult::CancelledLocally));
        QCOMPARE(cancelled.first().first().toInt(), int(TransferResult::CancelledByRemote));
        QCOMPARE(QDir(to.path()).entryList(QDir::Files), QStringList());
    }

    void lineDropsMidFile_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::newRow("plain") << false;
        QTest::newRow("crash recovery keeps the partial") << true;
    }
    void lineDropsMidFile()
    {
        QFETCH(bool, recover);
        QTemporaryDir from;
        QTemporaryDir to;
        QFile f(from.filePath("n.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(TestFiles::randomBytes(2000000, 6));
        f.close();
        LinkPair left;
        LinkPair right;
        NoiseRelay relay(&left.b, &right.a, {1, 0.0, 0.0, 0, 500000});
        QObject::connect(&relay, &NoiseRelay::lineCut, [&] {
            left.close();
            right.close();
        });
        Ends ends;
        for (ProtocolEngine *e : {&ends.sender, &ends.receiver}) {
            e->setProtocolType(ProtocolType::Zmodem);
            e->options().zmodemRecover = recover;
        }
        ends.sender.setFileName(f.fileName());
        ends.sender.setLink(&left.a);
        ends.receiver.setDestinationDirectory(to.path());
        ends.receiver.setLink(&right.b);
        QVERIFY(ends.receiver.startReceive());
        QVERIFY(ends.sender.startTransmit());
        QTRY_VERIFY_WITH_TIMEOUT(!ends.sent.isEmpty() && !ends.received.isEmpty(), 60000);
        QCOMPARE(ends.received.first().first().toInt(), int(TransferResult::CarrierLost));
        QCOMPARE(ends.sent.first().first().toInt(), int(TransferResult::CarrierLost));
        const QStringList expected = recover ? QStringList{QStringLiteral("n.bin.part")} : QStringList();
        QCOMPARE(QDir(to.path()).entryList(QDir::Files), expected);
    }
};

QTEST_GUILESS_MAIN(ZmodemNoiseTest)
#include "zmodem_noise.moc"
