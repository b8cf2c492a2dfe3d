#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "support/EngineFiles.h"
#include "support/KermitPeers.h"

// Our Kermit against C-Kermit on a pseudo-terminal pair, both directions.
class KermitCkermitTest : public QObject {
    Q_OBJECT
private:
    static QStringList kermitArgs(const QString &settings, bool reliable)
    {
        QStringList args{QStringLiteral("-Y"), QStringLiteral("-q"), QStringLiteral("-l"),
            QStringLiteral("%PTY%"), QStringLiteral("-b"), QStringLiteral("115200"), QStringLiteral("-C"),
            QStringLiteral("set carrier-watch off, set flow none") + settings};
        if (reliable)
            args << QStringLiteral("-I");
        return args;
    }

    static void addRows()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("maxLen");
        QTest::addColumn<int>("windows");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("reliable");
        QTest::newRow("random, streaming")
            << TestFiles::randomBytes(200000, 2) << 9024 << 0 << QString() << true;
        QTest::newRow("random, long packets and windows")
            << TestFiles::randomBytes(150000, 3) << 4000 << 16 << QStringLiteral(", set window 8") << false;
        QTest::newRow("every byte, short packets, no windows")
            << TestFiles::everyByteValue(12) << 80 << 0 << QStringLiteral(", set window 1") << false;
        QTest::newRow("block check 2") << TestFiles::everyByteValue(8) << 500 << 4
                                       << QStringLiteral(", set block-check 2, set window 4") << false;
        QTest::newRow("block check 1")
            << TestFiles::everyByteValue(8) << 94 << 0 << QStringLiteral(", set block-check 1") << false;
        QTest::newRow("empty") << QByteArray() << 80 << 0 << QString() << true;
    }

    static void configure(ProtocolEngine &engine, int maxLen, int windows)
    {
        engine.setProtocolType(ProtocolType::Kermit);
        engine.options().kermitMaxLen = maxLen;
        engine.options().kermitMaxWindows = windows;
    }

private slots:
    void sendToCkermit_data() { addRows(); }
    void sendToCkermit()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, maxLen);
        QFETCH(int, windows);
        QFETCH(QString, settings);
        QFETCH(bool, reliable);
        QTemporaryDir src, dst;
        ProtocolEngine engine;
        configure(engine, maxLen, windows);
        engine.setFileName(TestFiles::writeIn(src.path(), QStringLiteral("data.bin"), content));
        const PeerOutcome r = runOverPty(engine, true, QStringLiteral("kermit"),
            kermitArgs(settings, reliable) << QStringLiteral("-r"), dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("data.bin"))), content);
    }

    void receiveFromCkermit_data() { addRows(); }
    void receiveFromCkermit()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, maxLen);
        QFETCH(int, windows);
        QFETCH(QString, settings);
        QFETCH(bool, reliable);
        QTemporaryDir src, dst;
        ProtocolEngine engine;
        configure(engine, maxLen, windows);
        engine.setDestinationDirectory(dst.path());
        TestFiles::writeIn(src.path(), QStringLiteral("data.bin"), content);
        const PeerOutcome r = runOverPty(engine, false, QStringLiteral("kermit"),
            kermitArgs(settings, reliable)
                << QStringLiteral("-i") << QStringLiteral("-s") << QStringLiteral("data.bin"),
            src.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(engine, r)));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(TestFiles::read(dst.filePath(QStringLiteral("data.bin"))), content);
    }

    // A batch to C-Kermit and the same files back, over long packets and windows.
    void batchBothWays()
    {
        QTemporaryDir src, dst, back;
        const QList<QByteArray> contents{
            TestFiles::randomBytes(40000, 21), QByteArray(), TestFiles::everyByteValue(5)};
        const QStringList names = TestFiles::writeBatch(src.path(), QStringLiteral("c"), contents);
        QStringList paths;
        for (const QString &name : names)
            paths << QDir(src.path()).filePath(name);
        ProtocolEngine out;
        configure(out, 2000, 4);
        sendInOrder(out, paths);
        PeerOutcome r = runOverPty(out, true, QStringLiteral("kermit"),
            kermitArgs(QStringLiteral(", set window 4"), false) << QStringLiteral("-r"), dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(out, r)));
        ProtocolEngine in;
        configure(in, 2000, 4);
        in.setDestinationDirectory(back.path());
        r = runOverPty(in, false, QStringLiteral("kermit"),
            kermitArgs(QStringLiteral(", set window 4"), false)
                << QStringLiteral("-i") << QStringLiteral("-s") << names,
            dst.path());
        QVERIFY2(r.engineCode == 0, qPrintable(describe(in, r)));
        for (int i = 0; i < contents.size(); ++i)
            QCOMPARE(TestFiles::read(QDir(back.path()).filePath(names[i])), contents[i]);
    }
};

QTEST_GUILESS_MAIN(KermitCkermitTest)
#include "kermit_ckermit.moc"
