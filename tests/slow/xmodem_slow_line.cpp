#include <QTest>

#include "support/TestFiles.h"
#include "support/TransferSession.h"

// Our Xmodem and Ymodem sender on a line slower than its answer waits: a
// 1K block that takes longer to go out than the wait for its ACK, and a
// stream whose backlog outlasts the wait for the answer to its EOT. The
// sender must not count time the line spends carrying its own data as a
// silent receiver.
class XmodemSlowLineTest : public QObject {
    Q_OBJECT
private slots:
    void slowLine_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("bytesPerSecond");
        QTest::addColumn<int>("size");
        QTest::newRow("xmodem-1k block longer than the ACK wait")
            << int(ProtocolType::Xmodem1K) << 80 << 1024;
        QTest::newRow("ymodem-g backlog longer than the EOT wait")
            << int(ProtocolType::YmodemG) << 500 << 6000;
    }
    void slowLine()
    {
        QFETCH(int, type);
        QFETCH(int, bytesPerSecond);
        QFETCH(int, size);
        TransferSession s{ProtocolType(type)};
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
        QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("slow.bin"))), data);
    }
};

QTEST_GUILESS_MAIN(XmodemSlowLineTest)
#include "xmodem_slow_line.moc"
