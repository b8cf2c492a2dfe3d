#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "support/TestFiles.h"
#include "support/XferTool.h"

#include <unistd.h>

// What tarnex-xfer tells the user: exit statuses, the messages for files it
// cannot read or create, and names from the other side made harmless. Both
// sides run on a socat pipe pair; each side's status and messages go to
// files.
namespace {

QByteArray quoted(const QString &text)
{
    return "'" + text.toLocal8Bit().replace("'", "'\\''") + "'";
}

struct PipeRun {
    QTemporaryDir work;

    // Runs both commands joined by a pipe pair; false if they did not end.
    bool run(const QByteArray &ours, const QByteArray &peer)
    {
        const QString a = XferTool::script(work.path(), QStringLiteral("ours.sh"),
            ours + " 2> " + quoted(file("err")) + "\necho $? > " + quoted(file("rc")));
        const QString b = XferTool::script(work.path(), QStringLiteral("peer.sh"), peer + " 2>/dev/null");
        QProcess socat;
        socat.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        socat.start(QStringLiteral("socat"), {QStringLiteral("EXEC:") + a, QStringLiteral("EXEC:") + b});
        return XferTool::finished(socat, 120000);
    }
    QString file(const char *name) const { return work.filePath(QString::fromLatin1(name)); }
    int status() const { return TestFiles::read(file("rc")).trimmed().toInt(); }
    QByteArray errors() const { return TestFiles::read(file("err")); }
};

QByteArray tool()
{
    return quoted(XferTool::path());
}

} // namespace

class XferMessagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(XferTool::path()).isExecutable(), qPrintable(XferTool::path()));
    }

    void usageErrorsHaveTheirOwnStatus()
    {
        for (const QStringList &arguments :
            {QStringList{QStringLiteral("send")}, QStringList{QStringLiteral("fetch")},
                QStringList{QStringLiteral("receive"), QStringLiteral("--protocol"), QStringLiteral("zmodem"),
                    QStringLiteral("--flow"), QStringLiteral("dtr")}}) {
            QProcess xfer;
            xfer.start(XferTool::path(), arguments);
            QVERIFY(XferTool::finished(xfer, 30000));
            QCOMPARE(xfer.exitCode(), 64);
            QVERIFY2(xfer.readAllStandardError().endsWith("(code 64)\n"), qPrintable(arguments.join(' ')));
        }
        QProcess help;
        help.start(XferTool::path(), {QStringLiteral("--help")});
        QVERIFY(XferTool::finished(help, 30000));
        const QByteArray text = help.readAllStandardOutput();
        QVERIFY(text.contains("64 when the command line is wrong"));
        QVERIFY(text.contains("A --dir that does not exist is created"));
    }

    // Files that cannot be sent or kept: the code, the path and the reason.
    void fileProblems_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QByteArray>("peer");
        QTest::addColumn<QString>("path"); // file to send or --dir, in the work folder
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message"); // %1 is the work folder
        QTest::newRow("a folder to send")
            << true << QStringLiteral("zmodem") << QByteArray("rz -q") << QStringLiteral("src") << 5
            << QStringLiteral("cannot send %1/src: it is a folder, not a file");
        QTest::newRow("a missing file to send")
            << true << QStringLiteral("ymodem") << QByteArray("rb -q") << QStringLiteral("src/gone.bin") << 5
            << QStringLiteral("cannot send %1/src/gone.bin: no such file");
        QTest::newRow("--dir names a file, zmodem")
            << false << QStringLiteral("zmodem") << QByteArray("sz -q a.bin") << QStringLiteral("plain") << 6
            << QStringLiteral("Cannot create the file %1/plain/a.bin: %1/plain is not a folder");
        QTest::newRow("--dir below a file, kermit")
            << false << QStringLiteral("kermit") << QByteArray("gkermit -q -s a.bin")
            << QStringLiteral("plain/in") << 6
            << QStringLiteral("Cannot create the file %1/plain/in/a.bin: %1/plain is not a folder");
    }
    void fileProblems()
    {
        QFETCH(bool, sending);
        QFETCH(QString, protocol);
        QFETCH(QByteArray, peer);
        QFETCH(QString, path);
        QFETCH(int, code);
        QFETCH(QString, message);
        PipeRun run;
        const QString work = run.work.path();
        QVERIFY(QDir(work).mkpath(QStringLiteral("src")));
        QVERIFY(QDir(work).mkpath(QStringLiteral("dst")));
        TestFiles::writeIn(work + QStringLiteral("/src"), QStringLiteral("a.bin"), "some data");
        TestFiles::writeIn(work, QStringLiteral("plain"), "a file, not a folder");
        const QString expected = message.arg(work);
        const QByteArray ours = tool() + (sending ? " send --protocol " : " receive --protocol ")
            + protocol.toLatin1() + (sending ? " " : " --dir ") + quoted(work + QLatin1Char('/') + path);
        const QByteArray peerSide = "cd "
            + quoted(work + (sending ? QStringLiteral("/dst") : QStringLiteral("/src"))) + " && exec " + peer;
        QVERIFY(run.run(ours, peerSide));
        QVERIFY2(run.errors().contains(QStringLiteral("%1 (code %2)").arg(expected).arg(code).toLocal8Bit()),
            run.errors().constData());
        QCOMPARE(run.status(), code);
    }

    // A file the user may not read: run as nobody against a file only its
    // owner may read. Xmodem opens the file before the other side answers.
    void unreadableFile()
    {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("needs root and setpriv to run as another user");
        // Outside the test's private temporary folder, which user nobody cannot enter.
        QTemporaryFile secret(QStringLiteral("/tmp/xfer-secret-XXXXXX.bin"));
        QVERIFY(secret.open());
        secret.write("secret");
        secret.close();
        QVERIFY(secret.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QProcess xfer;
        xfer.setStandardInputFile(QProcess::nullDevice());
        xfer.start(QStringLiteral("setpriv"),
            {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                QStringLiteral("--clear-groups"), XferTool::path(), QStringLiteral("send"),
                QStringLiteral("--protocol"), QStringLiteral("xmodem"), secret.fileName()});
        QVERIFY(XferTool::finished(xfer, 30000));
        QCOMPARE(xfer.exitCode(), 5);
        const QByteArray error = xfer.readAllStandardError();
        QVERIFY2(error.contains(QStringLiteral("cannot send %1: Permission denied (code 5)")
                                    .arg(secret.fileName())
                                    .toLocal8Bit()),
            error.constData());
    }

    // A sender's name full of terminal controls: escaped in the progress
    // lines and the history, which also tells where the file was stored.
    void hostileNamesAreShownEscaped()
    {
        PipeRun run;
        const QString work = run.work.path();
        QVERIFY(QDir(work).mkpath(QStringLiteral("src")));
        QVERIFY(QDir(work).mkpath(QStringLiteral("dst")));
        const QString name = QStringLiteral("evil\x1b]0;owned\x07\r\n\x1b[2J\u009b1m.txt");
        const QByteArray data = TestFiles::randomBytes(5000, 4);
        QVERIFY(TestFiles::write(work + QStringLiteral("/src/") + name, data));
        const QString history = work + QStringLiteral("/history.txt");
        QVERIFY(run.run("cd " + quoted(work + QStringLiteral("/dst")) + " && " + tool()
                + " receive --protocol zmodem --progress --history " + quoted(history),
            "cd " + quoted(work + QStringLiteral("/src")) + " && exec sz -q *.txt"));
        QVERIFY2(run.status() == 0, run.errors().constData());

        const QStringList stored = QDir(work + QStringLiteral("/dst")).entryList(QDir::Files);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(TestFiles::read(work + QStringLiteral("/dst/") + stored.first()), data);
        const QRegularExpression controls(QStringLiteral("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]"));
        const QString progress = QString::fromUtf8(run.errors());
        QVERIFY2(
            progress.contains(QStringLiteral("receive evil\\x1b]0;owned\\x07\\x0d\\x0a\\x1b[2J\\x9b1m.txt:")),
            qPrintable(progress));
        QVERIFY2(!progress.contains(controls), qPrintable(progress));
        const QString line = QString::fromUtf8(TestFiles::read(history)).trimmed();
        QVERIFY2(!line.contains(controls) && !line.contains(QLatin1Char('\n')), qPrintable(line));
        // The stored name is confined, and shown escaped where it still holds a control.
        QString storedShown = stored.first();
        storedShown.replace(QChar(0x9b), QStringLiteral("\\x9b"));
        QVERIFY2(
            line.contains(QStringLiteral("evil\\x1b]0;owned\\x07\\x0d\\x0a\\x1b[2J\\x9b1m.txt (stored as %1)")
                              .arg(storedShown)),
            qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(XferMessagesTest)
#include "xfer_messages.moc"
