#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/LinePeers.h"
#include "support/TestFiles.h"

// tarnex-xfer's ASCII transfer over a socat pseudo-terminal pair, with a
// plain cat on the other end.
class AsciiPtyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        tool_ = qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-xfer/tarnex-xfer");
        QVERIFY2(QFileInfo(tool_).isExecutable(), qPrintable(tool_));
    }

    void sendToCat()
    {
        QTemporaryDir dir;
        PtyPair pty;
        QVERIFY(pty.start());
        const QString source = dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(TestFiles::write(source, lines("\n")));
        const QString captured = dir.filePath(QStringLiteral("captured"));
        QProcess cat;
        cat.setStandardInputFile(pty.far());
        cat.setStandardOutputFile(captured);
        cat.start(QStringLiteral("cat"), {});
        QVERIFY(cat.waitForStarted());

        QProcess xfer;
        startXfer(xfer, QStringLiteral("send"), pty.near(),
            {QStringLiteral("--ascii-lf"), QStringLiteral("2"), QStringLiteral("--ascii-line-delay"),
                QStringLiteral("2"), source});
        QVERIFY(xfer.waitForFinished(60000));
        QVERIFY2(xfer.exitCode() == 0, xfer.readAllStandardError().constData());
        // cat runs on; what it has written so far is the whole file once it is all there.
        QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(captured), lines("\r\n"), 20000);
        cat.kill();
        cat.waitForFinished();
    }

    void receiveFromCat()
    {
        QTemporaryDir dir;
        PtyPair pty;
        QVERIFY(pty.start());
        const QString source = dir.filePath(QStringLiteral("remote.txt"));
        QVERIFY(TestFiles::write(source, lines("\r\n")));
        const QString target = dir.filePath(QStringLiteral("in"));
        QVERIFY(QDir().mkpath(target));

        QProcess xfer;
        startXfer(xfer, QStringLiteral("receive"), pty.near(),
            {QStringLiteral("--dir"), target, QStringLiteral("--file"), QStringLiteral("got.txt"),
                QStringLiteral("--ascii-cr"), QStringLiteral("1"), QStringLiteral("--ascii-eof-timeout"),
                QStringLiteral("18")});
        QVERIFY(xfer.waitForStarted());
        // What cat writes before the receiver has the line open waits in the pty.
        QProcess cat;
        cat.setStandardInputFile(source);
        cat.setStandardOutputFile(pty.far());
        cat.start(QStringLiteral("cat"), {});
        QVERIFY(cat.waitForFinished(20000));
        QCOMPARE(cat.exitCode(), 0);
        QVERIFY(xfer.waitForFinished(60000));
        QVERIFY2(xfer.exitCode() == 0, xfer.readAllStandardError().constData());
        QCOMPARE(TestFiles::read(QDir(target).filePath(QStringLiteral("got.txt"))), lines("\n"));
    }

private:
    void startXfer(QProcess &xfer, const QString &command, const QString &device, const QStringList &more)
    {
        xfer.start(tool_,
            QStringList{command, QStringLiteral("--protocol"), QStringLiteral("ascii"),
                QStringLiteral("--serial"), device}
                + more);
    }

    // A few hundred lines of text ended by the given line end.
    static QByteArray lines(const char *end)
    {
        QByteArray text;
        for (int i = 0; i < 300; ++i)
            text += "line " + QByteArray::number(i) + " of some ASCII text" + end;
        return text;
    }

    QString tool_;
};

QTEST_GUILESS_MAIN(AsciiPtyTest)
#include "ascii_pty.moc"
