#include <QTemporaryDir>
#include <QTest>

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
        QTest::newRow("random, long packets, streaming") << randomBytes(300000, 1) << 9024 << 0 << true;
        QTest::newRow("every byte, short packets") << everyByteValue(8) << 80 << 0 << false;
        QTest::newRow("every byte, long packets, windows") << everyByteValue(40) << 4000 << 8 << false;
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
        engine.setFileName(writeFile(src.path(), QStringLiteral("data.bin"), content));
        const PeerOutcome r = runOverPipes(engine, true, QStringLiteral("gkermit"),
            {QStringLiteral("-r"), QStringLiteral("-q")}, dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readFile(dst.filePath(QStringLiteral("data.bin"))), content);
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
        writeFile(src.path(), QStringLiteral("data.bin"), content);
        const PeerOutcome r = runOverPipes(engine, false, QStringLiteral("gkermit"),
            {QStringLiteral("-i"), QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("data.bin")},
            src.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readFile(dst.filePath(QStringLiteral("data.bin"))), content);
    }
};

QTEST_GUILESS_MAIN(KermitGkermitTest)
#include "kermit_gkermit.moc"
