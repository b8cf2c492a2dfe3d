#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "support/KermitPeers.h"

// Our B+ terminal side and host side, each against the other running in
// tarnex-xfer, over a socat pseudo-terminal pair.
class BPlusPtyTest : public QObject {
    Q_OBJECT
private slots:
    void bothSidesBothWays_data()
    {
        QTest::addColumn<bool>("engineIsHost");
        QTest::addColumn<bool>("engineSends");
        QTest::newRow("host sends to our terminal") << false << false;
        QTest::newRow("our terminal uploads to the host") << false << true;
        QTest::newRow("our host sends to the terminal") << true << true;
        QTest::newRow("our host asks the terminal for a file") << true << false;
    }
    void bothSidesBothWays()
    {
        QFETCH(bool, engineIsHost);
        QFETCH(bool, engineSends);
        QTemporaryDir ours;
        QTemporaryDir theirs;
        const QByteArray data = TestFiles::everyByteValue(4) + TestFiles::randomBytes(250000, 51);
        const QString tool
            = qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-xfer/tarnex-xfer");
        QVERIFY2(QFileInfo(tool).isExecutable(), qPrintable(tool));

        ProtocolEngine engine;
        engine.setProtocolType(ProtocolType::BPlus);
        engine.options().bplusHost = engineIsHost;
        engine.setDestinationDirectory(ours.path());
        QStringList args{engineSends ? QStringLiteral("receive") : QStringLiteral("send"),
            QStringLiteral("--protocol"), QStringLiteral("bplus"), QStringLiteral("--serial"),
            QStringLiteral("%PTY%"), QStringLiteral("--dir"), theirs.path()};
        if (!engineIsHost)
            args << QStringLiteral("--bplus-host");
        QString received;
        if (engineSends) {
            engine.setFileName(TestFiles::writeIn(ours.path(), QStringLiteral("up.bin"), data));
            if (!engineIsHost)
                args << QStringLiteral("--file") << QStringLiteral("stored.bin");
            received = QDir(theirs.path())
                           .filePath(engineIsHost ? QStringLiteral("up.bin") : QStringLiteral("stored.bin"));
        } else {
            args << TestFiles::writeIn(theirs.path(), QStringLiteral("down.bin"), data);
            if (engineIsHost)
                engine.setFileName(QStringLiteral("down.bin"));
            received = QDir(ours.path()).filePath(QStringLiteral("down.bin"));
        }
        const PeerOutcome outcome = runOverPty(engine, engineSends, tool, args, theirs.path());
        QVERIFY2(outcome.engineCode == 0 && outcome.exitCode == 0, qPrintable(describe(engine, outcome)));
        QVERIFY(QFileInfo::exists(received));
        QCOMPARE(TestFiles::read(received), data);
    }
};

QTEST_GUILESS_MAIN(BPlusPtyTest)
#include "bplus_pty.moc"
