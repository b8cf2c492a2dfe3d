#include <QTemporaryDir>
#include <QTest>

#include "support/BPlusPair.h"
#include "support/LinkPair.h"
#include "support/TestFiles.h"
#include "support/TransferSession.h"

// Our engines on a line slower than their waits: an Xmodem 1K block that
// takes longer to go out than the wait for its ACK, streams whose backlog
// outlasts the wait for the answer to the end of the file, and Kermit and
// B+ packets slower than both sides' waits. Time the line spends carrying data
// is not a silent line.
class TransferSlowLineTest : public QObject {
    Q_OBJECT
private slots:
    void slowLine_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("bytesPerSecond");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("kermitPacket"); // long packets, no streaming; 0: the defaults
        const int xmodem1k = int(ProtocolType::Xmodem1K);
        const int ymodemG = int(ProtocolType::YmodemG);
        const int zmodem = int(ProtocolType::Zmodem);
        const int kermit = int(ProtocolType::Kermit);
        QTest::newRow("xmodem-1k block longer than the ACK wait") << xmodem1k << 80 << 1024 << 0;
        QTest::newRow("ymodem-g backlog longer than the EOT wait") << ymodemG << 500 << 6000 << 0;
        QTest::newRow("zmodem backlog longer than the ZEOF wait") << zmodem << 500 << 6000 << 0;
        QTest::newRow("kermit backlog longer than the packet wait") << kermit << 500 << 4000 << 0;
        QTest::newRow("kermit packet longer than the packet wait") << kermit << 500 << 4500 << 4000;
    }
    void slowLine()
    {
        QFETCH(int, type);
        QFETCH(int, bytesPerSecond);
        QFETCH(int, size);
        QFETCH(int, kermitPacket);
        TransferSession s{ProtocolType(type)};
        if (kermitPacket > 0)
            for (ProtocolEngine *engine : {&s.sender, &s.receiver}) {
                engine->options().kermitMaxLen = kermitPacket;
                engine->options().kermitStreaming = false;
            }
        s.toRelay.a.setBytesPerSecond(bytesPerSecond);
        // Xmodem takes trailing SUB bytes for padding: end in something else.
        const QByteArray data = TestFiles::randomBytes(size - 1, 7) + "!";
        const QString path = s.src.filePath(QStringLiteral("slow.bin"));
        QVERIFY(TestFiles::write(path, data));
        s.sendFiles({path});
        s.receiver.setFileName(QStringLiteral("slow.bin"));
        QVERIFY(s.run(180000));
        QCOMPARE(s.sendCode, 0);
        QCOMPARE(s.receiveCode, 0);
        QCOMPARE(s.sender.status().errorCount, 0);
        QCOMPARE(s.receiver.status().errorCount, 0);
        QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("slow.bin"))), data);
    }

    // A B+ upload of 1K packets, each longer on the line than the wait for
    // a packet or its acknowledgement.
    void bplusPacketsLongerThanTheWaits()
    {
        QTemporaryDir terminalDir, hostDir;
        LinkPair links;
        links.a.setBytesPerSecond(80);
        BPlusPair pair(&links.a, &links.b, terminalDir.path(), hostDir.path());
        pair.hostParams.windowSend = pair.hostParams.windowReceive = 3;
        pair.hostParams.blockSize = 8;
        const QByteArray data = TestFiles::randomBytes(1500, 7);
        const QString path = TestFiles::writeIn(terminalDir.path(), QStringLiteral("file.bin"), data);
        QVERIFY(!path.isEmpty());
        pair.upload(path, QStringLiteral("stored.bin"));
        QVERIFY(pair.wait(180));
        QCOMPARE(pair.terminalCode, 0);
        QCOMPARE(pair.hostCode, 0);
        QCOMPARE(pair.terminal.status().errorCount, 0);
        QCOMPARE(TestFiles::read(hostDir.filePath(QStringLiteral("stored.bin"))), data);
    }
};

QTEST_GUILESS_MAIN(TransferSlowLineTest)
#include "transfer_slow_line.moc"
