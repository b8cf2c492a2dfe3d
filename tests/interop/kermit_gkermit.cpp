#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "comms/link/IoDeviceLink.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/KermitPeers.h"

// Our Kermit against G-Kermit over a pipe pair, both directions.
class KermitGkermitTest : public QObject {
    Q_OBJECT
private:
    static void configure(ProtocolEngine &engine, int maxLen, int windows, bool streaming)
    {
        engine.setProtocolType(ProtocolType::Kermit);
        engine.options().kermitMaxLen = maxLen;
        engine.options().kermitMaxWindows = windows;
        engine.options().kermitStreaming = streaming;
        engine.options().kermitTimeoutSecs = 5;
    }

    static void addRows()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("maxLen");
        QTest::addColumn<int>("windows");
        QTest::addColumn<bool>("streaming");
        QTest::newRow("random, long packets, streaming")
            << TestFiles::randomBytes(300000, 1) << 9024 << 0 << true;
        QTest::newRow("every byte, short packets") << TestFiles::everyByteValue(8) << 80 << 0 << false;
        QTest::newRow("every byte, long packets, windows")
            << TestFiles::everyByteValue(40) << 4000 << 8 << false;
        QTest::newRow("runs for repeat counts")
            << QByteArray(5000, 'a') + QByteArray(300, '\0') + "~#&" << 94 << 0 << false;
        QTest::newRow("empty") << QByteArray() << 80 << 0 << true;
    }

private slots:
    void sendToGkermit_data() { addRows(); }
    void sendToGkermit()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, maxLen);
        QFETCH(int, windows);
        QFETCH(bool, streaming);
        QTemporaryDir src, dst;
        ProtocolEngine engine;
        configure(engine, maxLen, windows, streaming);
        engine.setFileName(TestFiles::writeIn(src.path(), QStringLiteral("data.bin"), content));
        const PeerOutcome r = runOverPipes(engine, true, QStringLiteral("gkermit"),
            {QStringLiteral("-r"), QStringLiteral("-q")}, dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("data.bin"))), content);
    }

    void receiveFromGkermit_data() { addRows(); }
    void receiveFromGkermit()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, maxLen);
        QFETCH(int, windows);
        QFETCH(bool, streaming);
        QTemporaryDir src, dst;
        ProtocolEngine engine;
        configure(engine, maxLen, windows, streaming);
        engine.setDestinationDirectory(dst.path());
        TestFiles::writeIn(src.path(), QStringLiteral("data.bin"), content);
        const PeerOutcome r = runOverPipes(engine, false, QStringLiteral("gkermit"),
            {QStringLiteral("-i"), QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("data.bin")},
            src.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("data.bin"))), content);
    }

    // G-Kermit with a pseudo-terminal as its standard input and output.
    void overPseudoTerminal_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::newRow("to G-Kermit") << true;
        QTest::newRow("from G-Kermit") << false;
    }
    void overPseudoTerminal()
    {
        QFETCH(bool, sending);
        QTemporaryDir src, dst;
        const QByteArray content = TestFiles::everyByteValue(30) + TestFiles::randomBytes(100000, 5);
        ProtocolEngine engine;
        configure(engine, 4000, 4, false);
        engine.setFileName(TestFiles::writeIn(src.path(), QStringLiteral("pty.bin"), content));
        engine.setDestinationDirectory(dst.path());
        const QString command = sending ? QStringLiteral("exec gkermit -q -r <%PTY% >%PTY%")
                                        : QStringLiteral("exec gkermit -q -i -s pty.bin <%PTY% >%PTY%");
        const PeerOutcome r = runOverPty(engine, sending, QStringLiteral("sh"),
            {QStringLiteral("-c"), command}, sending ? dst.path() : src.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("pty.bin"))), content);
    }

    void batchBothWays()
    {
        QTemporaryDir src, dst, back;
        const QList<QByteArray> contents{
            TestFiles::randomBytes(50000, 11), QByteArray(), TestFiles::everyByteValue(3)};
        const QStringList names = TestFiles::writeBatch(src.path(), QStringLiteral("b"), contents);
        QStringList paths;
        for (const QString &name : names)
            paths << QDir(src.path()).filePath(name);
        ProtocolEngine out;
        configure(out, 1000, 4, false);
        QStringList queue = paths;
        sendInOrder(out, queue);
        PeerOutcome r = runOverPipes(
            out, true, QStringLiteral("gkermit"), {QStringLiteral("-r"), QStringLiteral("-q")}, dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(out, r)));
        ProtocolEngine in;
        configure(in, 9024, 0, true);
        in.setDestinationDirectory(back.path());
        r = runOverPipes(in, false, QStringLiteral("gkermit"),
            QStringList{QStringLiteral("-i"), QStringLiteral("-q"), QStringLiteral("-s")} + names,
            dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(in, r)));
        for (int i = 0; i < contents.size(); ++i)
            QCOMPARE(TestFiles::read(QDir(back.path()).filePath(names[i])), contents[i]);
    }

    // A text-mode sender puts CR LF on the line; the file here gets LF.
    void textFromGkermit()
    {
        QTemporaryDir src, dst;
        const QByteArray text = "first line\nsecond\r line\n\nlast without end";
        TestFiles::writeIn(src.path(), QStringLiteral("notes.txt"), text);
        ProtocolEngine engine;
        configure(engine, 80, 0, false);
        engine.setDestinationDirectory(dst.path());
        const PeerOutcome r = runOverPipes(engine, false, QStringLiteral("gkermit"),
            {QStringLiteral("-T"), QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("notes.txt")},
            src.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("notes.txt"))), text);
    }

    void cancelledHereLeavesNoFileThere_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::newRow("we send") << true;
        QTest::newRow("we receive") << false;
    }
    void cancelledHereLeavesNoFileThere()
    {
        QFETCH(bool, sending);
        QTemporaryDir src, dst;
        const QString big
            = TestFiles::writeIn(src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(20000000, 12));
        ProtocolEngine engine;
        configure(engine, 2000, 4, false);
        engine.setFileName(big);
        engine.setDestinationDirectory(dst.path());
        connect(&engine, &ProtocolEngine::statusChanged, &engine, [&engine](const TransferStatus &st) {
            if (st.bytesDone > 200000)
                engine.cancel();
        });
        const QStringList args = sending ? QStringList{QStringLiteral("-r"), QStringLiteral("-q")}
                                         : QStringList{QStringLiteral("-i"), QStringLiteral("-q"),
                                             QStringLiteral("-s"), QStringLiteral("big.bin")};
        const PeerOutcome r = runOverPipes(
            engine, sending, QStringLiteral("gkermit"), args, sending ? dst.path() : src.path());
        QCOMPARE(r.engineCode, int(TransferResult::CancelledLocally));
        // G-Kermit hears the cancel and stops (it keeps its partial file).
        QVERIFY(r.exitCode > 0);
        if (!sending)
            QVERIFY(QDir(dst.path()).entryList(QDir::Files).isEmpty());
    }

    void remoteRefusalEndsCleanly()
    {
        QTemporaryDir src, dst;
        // The name is taken by a folder, so G-Kermit cannot create the file.
        QVERIFY(QDir(dst.path()).mkdir(QStringLiteral("x.bin")));
        ProtocolEngine engine;
        configure(engine, 80, 0, false);
        engine.setFileName(TestFiles::writeIn(src.path(), QStringLiteral("x.bin"), "data"));
        const PeerOutcome r = runOverPipes(engine, true, QStringLiteral("gkermit"),
            {QStringLiteral("-r"), QStringLiteral("-q")}, dst.path());
        QCOMPARE(r.engineCode, int(TransferResult::CancelledByRemote));
        QVERIFY(!engine.status().lastError.isEmpty());
    }

    void peerDiesMidFile()
    {
        QTemporaryDir src, dst;
        TestFiles::writeIn(src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(20000000, 13));
        ProtocolEngine engine;
        configure(engine, 2000, 0, false);
        engine.setDestinationDirectory(dst.path());
        QProcess peer;
        peer.setWorkingDirectory(src.path());
        peer.start(QStringLiteral("gkermit"),
            {QStringLiteral("-i"), QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("big.bin")});
        QVERIFY(peer.waitForStarted(30000));
        IoDeviceLink link(&peer);
        engine.setLink(&link);
        ChainSpy<int> finished(engine.events().finish);
        connect(&engine, &ProtocolEngine::statusChanged, &peer, [&peer](const TransferStatus &st) {
            if (st.bytesDone > 100000)
                peer.kill();
        });
        engine.startReceive();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toInt(), int(TransferResult::CarrierLost));
        QVERIFY(QDir(dst.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(KermitGkermitTest)
#include "kermit_gkermit.moc"
