#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "support/TestFiles.h"
#include "support/XferTool.h"

#include <csignal>

// tarnex-xfer with a terminal for its standard input and output, as under
// a remote shell: socat runs it on a fresh pseudo-terminal (cooked, as a
// login leaves it) that it makes the controlling terminal of a new session,
// and lrzsz or G-Kermit on the other side.
namespace {

QByteArray shellQuoted(const QString &text)
{
    return "'" + text.toLocal8Bit().replace("'", "'\\''") + "'";
}

QByteArray command(const QStringList &words)
{
    QByteArray line;
    for (const QString &word : words)
        line += (line.isEmpty() ? "" : " ") + shellQuoted(word);
    return line;
}

// Waits for a file to be written, up to ms.
QByteArray awaitFile(const QString &path, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QFile file(path);
        if (file.size() > 0 && file.open(QIODevice::ReadOnly))
            return file.readAll().trimmed();
        QThread::msleep(50);
    }
    return "<none>";
}

class TerminalRun {
public:
    // near runs on the pseudo-terminal, far on socat's other side.
    bool start(const QByteArray &near, const QByteArray &far)
    {
        const QString nearScript = XferTool::script(work.path(), QStringLiteral("near.sh"), near);
        const QString farScript = XferTool::script(work.path(), QStringLiteral("far.sh"), far);
        socat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        socat.start(QStringLiteral("socat"),
            {QStringLiteral("EXEC:%1,pty,setsid,ctty").arg(nearScript), QStringLiteral("EXEC:") + farScript});
        return socat.waitForStarted(10000);
    }
    ~TerminalRun()
    {
        socat.terminate();
        if (!socat.waitForFinished(5000)) {
            socat.kill();
            socat.waitForFinished(5000);
        }
    }
    QString file(const char *name) const { return work.filePath(QString::fromLatin1(name)); }
    QByteArray at(const char *name) const { return file(name).toLocal8Bit(); }

    QTemporaryDir work;
    QProcess socat;
};

// The terminal's state is taken before and after tarnex-xfer by the shell
// that runs it; while it runs, by the far side once it sees raw mode (or
// after ten seconds, to show what it saw).
QByteArray nearSide(const TerminalRun &run, const QString &dir, const QByteArray &xfer)
{
    return "cd " + shellQuoted(dir) + "\ntty > " + run.at("tty") + "\nstty -g > " + run.at("before") + "\n"
        + xfer + " 2> " + run.at("err") + "\necho $? > " + run.at("rc") + "\nstty -g > " + run.at("after")
        + "\n";
}

QByteArray farSideAfterRaw(const TerminalRun &run, const QString &dir, const QByteArray &peer)
{
    return "until [ -s " + run.at("tty") + " ]; do sleep 0.05; done\ntty=$(cat " + run.at("tty")
        + ")\ni=0\nwhile [ $i -lt 200 ] && ! stty -a -F $tty | grep -q -- -icanon; do sleep 0.05; "
          "i=$((i+1)); "
          "done\nstty -a -F $tty > "
        + run.at("during") + "\ncd " + shellQuoted(dir) + " && exec " + peer + "\n";
}

} // namespace

class XferTerminalTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(XferTool::path()).isExecutable(), qPrintable(XferTool::path()));
    }

    // Every byte value both ways, with the terminal raw during the transfer
    // and exactly as it was afterwards.
    void rawForTheTransfer_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<QByteArray>("peer");
        QTest::addColumn<int>("files");
        QTest::newRow("zmodem from sz") << QStringLiteral("zmodem") << false << QByteArray("sz -q") << 1;
        QTest::newRow("zmodem to rz") << QStringLiteral("zmodem") << true << QByteArray("rz -q") << 1;
        QTest::newRow("ymodem batch to rb") << QStringLiteral("ymodem") << true << QByteArray("rb -q") << 2;
        QTest::newRow("ymodem from sb") << QStringLiteral("ymodem") << false << QByteArray("sb -q") << 1;
        QTest::newRow("xmodem-1k to rx")
            << QStringLiteral("xmodem-1k") << true << QByteArray("rx -q f0.bin") << 1;
        QTest::newRow("xmodem-1k from sx")
            << QStringLiteral("xmodem-1k") << false << QByteArray("sx -k -q") << 1;
    }
    void rawForTheTransfer()
    {
        QFETCH(QString, protocol);
        QFETCH(bool, weSend);
        QFETCH(QByteArray, peer);
        QFETCH(int, files);
        TerminalRun run;
        QTemporaryDir src;
        QTemporaryDir dst;
        QStringList names;
        QList<QByteArray> contents;
        for (int i = 0; i < files; ++i) {
            // Whole 1K blocks, so that Xmodem needs no padding.
            QByteArray data = TestFiles::everyByteValue(8) + TestFiles::randomBytes(62 * 1024, 40 + i);
            data.append(QByteArray("\r\n\x03\x11\x13\x1a\x7f\r", 8).repeated(128));
            contents << data;
            names << TestFiles::writeIn(src.path(), QStringLiteral("f%1.bin").arg(i), data);
        }
        QStringList xfer{XferTool::path(), weSend ? QStringLiteral("send") : QStringLiteral("receive"),
            QStringLiteral("--protocol"), protocol};
        if (weSend)
            xfer += names;
        else if (protocol == QLatin1String("xmodem-1k"))
            xfer += {QStringLiteral("--file"), QStringLiteral("f0.bin")};
        QByteArray peerCommand = peer;
        if (!weSend)
            peerCommand += " " + shellQuoted(names.first());
        QVERIFY(run.start(nearSide(run, dst.path(), command(xfer)),
            farSideAfterRaw(run, weSend ? dst.path() : src.path(), peerCommand)));

        QCOMPARE(awaitFile(run.file("rc"), 120000), QByteArray("0"));
        const QByteArray during = awaitFile(run.file("during"), 1000);
        for (const char *flag : {"-icanon", "-echo ", "-icrnl", "-onlcr", "-opost", "-isig", "-iexten",
                 "-ixon", " cs8", "-parenb", "-istrip", "min = 1;"})
            QVERIFY2(during.contains(flag), qPrintable(QString::fromLatin1(flag) + " not in: " + during));
        QVERIFY(awaitFile(run.file("after"), 5000) != "<none>");
        QCOMPARE(TestFiles::read(run.file("after")), TestFiles::read(run.file("before")));
        for (int i = 0; i < files; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(
                TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("f%1.bin").arg(i))), contents[i],
                20000);
    }

    // A signal mid-transfer on a line that stays open: the other side is
    // told and stops, the partial file goes, the terminal is restored and
    // the exit status says cancelled.
    void signalCancels_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<QByteArray>("peer");
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("zmodem from sz, SIGINT")
            << QStringLiteral("zmodem") << false << QByteArray("sz -q") << SIGINT;
        QTest::newRow("zmodem to rz, SIGTERM")
            << QStringLiteral("zmodem") << true << QByteArray("rz -q") << SIGTERM;
        QTest::newRow("ymodem from sb, SIGHUP")
            << QStringLiteral("ymodem") << false << QByteArray("sb -q") << SIGHUP;
        QTest::newRow("xmodem-1k from sx, SIGINT")
            << QStringLiteral("xmodem-1k") << false << QByteArray("sx -k -q") << SIGINT;
        QTest::newRow("kermit from gkermit, SIGINT")
            << QStringLiteral("kermit") << false << QByteArray("gkermit -q -s") << SIGINT;
        // No Debian program speaks B+: a second tarnex-xfer is the host.
        QTest::newRow("bplus from a host, SIGINT")
            << QStringLiteral("bplus") << false
            << QByteArray(XferTool::path().toLocal8Bit() + " send --protocol bplus --bplus-host") << SIGINT;
    }
    void signalCancels()
    {
        QFETCH(QString, protocol);
        QFETCH(bool, weSend);
        QFETCH(QByteArray, peer);
        QFETCH(int, signalNumber);
        TerminalRun run;
        QTemporaryDir src;
        QTemporaryDir dst;
        const QString big
            = TestFiles::writeIn(src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(48 << 20, 9));
        QStringList xfer{XferTool::path(), weSend ? QStringLiteral("send") : QStringLiteral("receive"),
            QStringLiteral("--protocol"), protocol};
        if (weSend)
            xfer << big;
        else if (protocol == QLatin1String("xmodem-1k"))
            xfer += {QStringLiteral("--file"), QStringLiteral("big.bin")};
        // tarnex-xfer runs in the foreground of the shell that holds the line
        // open afterwards, so only the protocol can stop the other side.
        const QByteArray near
            = nearSide(run, dst.path(),
                  "sh -c 'echo $$ > " + run.at("pid") + "; exec \"$@\"' xfer " + command(xfer))
            + "sleep 60\n";
        const QByteArray far = "cd " + shellQuoted(weSend ? dst.path() : src.path()) + "\n" + peer
            + (weSend ? QByteArray() : " " + shellQuoted(big)) + "\necho $? > " + run.at("farrc") + "\n";
        QVERIFY(run.start(near, far));

        const qint64 pid = awaitFile(run.file("pid"), 30000).toLongLong();
        QVERIFY(pid > 0);
        // Mid-transfer: part of the file has arrived.
        const QString arriving = dst.path();
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(arriving).entryList(QDir::Files).isEmpty()
                && QDir(arriving).entryInfoList(QDir::Files).first().size() > 100000,
            60000);
        QCOMPARE(::kill(static_cast<pid_t>(pid), signalNumber), 0);

        QCOMPARE(awaitFile(run.file("rc"), 30000), QByteArray("1"));
        const QByteArray farResult = awaitFile(run.file("farrc"), 30000);
        QVERIFY2(farResult != "<none>" && farResult != "0", farResult.constData());
        QVERIFY(awaitFile(run.file("after"), 5000) != "<none>");
        QCOMPARE(TestFiles::read(run.file("after")), TestFiles::read(run.file("before")));
        const QByteArray err = TestFiles::read(run.file("err"));
        QVERIFY2(err.contains("Transfer cancelled on SIG"), err.constData());
        QVERIFY2(err.endsWith("(code 1)\n"), err.constData());
        // B+ resumes interrupted downloads, so its receiver keeps the part.
        const QStringList left = QDir(dst.path()).entryList(QDir::Files | QDir::Hidden);
        if (protocol == QLatin1String("bplus"))
            QCOMPARE(left, QStringList{QStringLiteral("big.bin.part")});
        else if (!weSend)
            QCOMPARE(left, QStringList());
    }
};

QTEST_GUILESS_MAIN(XferTerminalTest)
#include "xfer_terminal.moc"
