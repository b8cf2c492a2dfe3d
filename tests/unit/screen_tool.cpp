// tarnex-screen as users script it: screen dump, attribute runs, replies,
// throughput mode and its error messages.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runTool(const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-screen/tarnex-screen"),
        args);
    if (!p.waitForStarted(30000))
        qFatal("tarnex-screen did not start");
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return Result{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
        p.readAllStandardError()};
}

} // namespace

class ScreenToolTest : public QObject {
    Q_OBJECT
private slots:
    void printsScreenAndCursor()
    {
        const Result r = runTool({"--rows", "3", "--cols", "10"}, "ab  \r\n\x1b(0lqk\x1b(B\x1b[3;5H");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), QStringLiteral("ab\n\u250c\u2500\u2510\n\nCURSOR 2 4\n"));
    }

    void codePage437AndAttributes()
    {
        const Result r = runTool({"--emulation", "ansibbs", "--rows", "2", "--cols", "8", "--attrs"},
            "\x1b[1;33;44m\xdb\xb1\x1b[0m.");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), QStringLiteral("\u2588\u2592.\nATTR 0-1:11/4B\n\nCURSOR 0 3\n"));
    }

    void writesReplies()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("replies"));
        const Result r = runTool({"--emulation", "vt220", "--responses", file}, "\x1b[c\x1b[2;3H\x1b[6n");
        QCOMPARE(r.exitCode, 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\x1b[?62;1;2;6;7;8;9c\x1b[2;3R"));
    }

    void benchPrintsOnlyThroughput()
    {
        const Result r = runTool({"--bench", "3"}, QByteArray(20000, 'x'));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^MB/s [0-9]+(\\.[0-9]+)?\n$"))
                     .match(QString::fromUtf8(r.out))
                     .hasMatch(),
            r.out.constData());
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << QStringList{"--colour"} << "unknown option --colour";
        QTest::newRow("unknown emulation") << QStringList{"--emulation", "vt340"} << "unknown emulation";
        QTest::newRow("bad rows") << QStringList{"--rows", "0"} << "--rows needs a number from 1 to 500";
        QTest::newRow("missing value") << QStringList{"--cols"} << "--cols needs a value";
        QTest::newRow("unreadable file")
            << QStringList{"/nonexistent/stream.ans"} << "cannot read /nonexistent/stream.ans";
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Result r = runTool(args);
        QVERIFY(r.exitCode != 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(ScreenToolTest)
#include "screen_tool.moc"
