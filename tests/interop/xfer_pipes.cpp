#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"
#include "support/XferTool.h"

// tarnex-xfer receiving a stream over a pipe pair deep enough for the link
// to gather input between wake-ups: every byte arrives and the answers the
// sender waits for at the end still come.
class XferPipesTest : public QObject {
    Q_OBJECT
private slots:
    void streamedReceive_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QByteArray>("peer");
        QTest::newRow("zmodem from sz") << QStringLiteral("zmodem") << QByteArray("sz -q big.bin");
        QTest::newRow("kermit from gkermit, streaming")
            << QStringLiteral("kermit") << QByteArray("gkermit -q -i -s big.bin");
    }
    void streamedReceive()
    {
        QFETCH(QString, protocol);
        QFETCH(QByteArray, peer);
        QTemporaryDir work;
        const QDir dir(work.path());
        QVERIFY(dir.mkpath(QStringLiteral("src")) && dir.mkpath(QStringLiteral("dst")));
        const QByteArray content = TestFiles::randomBytes(8 << 20, 11);
        TestFiles::writeIn(dir.filePath(QStringLiteral("src")), QStringLiteral("big.bin"), content);
        // Each side opens its writing end first so the named pipes cannot
        // block one another.
        const QByteArray body = "cd '" + work.path().toLocal8Bit() + "' && mkfifo fwd back\n" + "(cd dst && '"
            + XferTool::path().toLocal8Bit() + "' receive --protocol " + protocol.toLatin1()
            + " < ../fwd > ../back 2> ../err; echo $? > ../rc) &\n" + "(cd src && " + peer
            + " > ../fwd < ../back 2> /dev/null)\nwait\n";
        QProcess run;
        run.start(XferTool::script(work.path(), QStringLiteral("run.sh"), body), {});
        QVERIFY(XferTool::finished(run, 120000));
        const QByteArray errors = TestFiles::read(dir.filePath(QStringLiteral("err")));
        QVERIFY2(TestFiles::read(dir.filePath(QStringLiteral("rc"))) == "0\n", errors.constData());
        QCOMPARE(TestFiles::read(dir.filePath(QStringLiteral("dst/big.bin"))), content);
    }
};

QTEST_GUILESS_MAIN(XferPipesTest)
#include "xfer_pipes.moc"
