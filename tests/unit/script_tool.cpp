// tarnex-script check as users run it: exit codes, the error line and the record dump.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runTool(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-script/tarnex-script"),
        args);
    if (!p.waitForStarted(30000))
        qFatal("tarnex-script did not start");
    p.waitForFinished(60000);
    return Result{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
        p.readAllStandardError()};
}

} // namespace

class ScriptToolTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

    QString scriptFile(const QByteArray &text)
    {
        static int count = 0;
        const QString name = dir.filePath(QStringLiteral("s%1.scr").arg(++count));
        QFile file(name);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return name;
    }

private slots:
    void checkReportsErrors_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("parses") << QByteArray(":top\r\nWAIT 'login:' 300\r\nIF TIMEOUT top\r\n") << 0
                                << QByteArray();
        QTest::newRow("unknown command") << QByteArray(
            "SEND x\nJUMP y\n") << 1 << QByteArray("Error in line number 2 - Not a valid script command\n");
        QTest::newRow("CR shown as blank")
            << QByteArray("WAIT x\n") << 1
            << QByteArray(
                   "Error in line number 1 - Bad format for second parameter or second parameter missing\n");
        QTest::newRow("undefined label")
            << QByteArray("GOTO away\n") << 1
            << QByteArray("Error in line number 0 - Label is referenced but never defined\n");
    }

    void checkReportsErrors()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
        const Result r = runTool({QStringLiteral("check"), scriptFile(script)});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, QByteArray());
    }

    void dumpPrintsRecords()
    {
        const Result r = runTool({QStringLiteral("check"), QStringLiteral("--dump"),
            scriptFile("; note\nWAIT 'a\"b\\' 300\n\nSET @N 'x y'\nSEND ^M\nBAD\n")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("Error in line number 6 - Not a valid script command\n"));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0),
            QByteArray(
                R"({"line":2,"code":6,"command":"WAIT","data":"'a\"b\\'","data2":"","data3":"","option":0,)"
                R"("number":300,"condition":0})"));
        const QJsonObject set = QJsonDocument::fromJson(lines.at(1)).object();
        QCOMPARE(set.value("line").toInt(), 4);
        QCOMPARE(set.value("command").toString(), QStringLiteral("SET"));
        QCOMPARE(set.value("data").toString(), QStringLiteral("@N"));
        QCOMPARE(set.value("data2").toString(), QStringLiteral("'x y'"));
        QCOMPARE(set.value("option").toInt(), 15);
        QCOMPARE(
            QJsonDocument::fromJson(lines.at(2)).object().value("data").toString(), QStringLiteral("'\r'"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("run of a missing file") << QStringList{"run", "/nonexistent/x.scr"};
        QTest::newRow("run on two lines")
            << QStringList{"run", "/nonexistent/x.scr", "--tcp", "h:1", "--serial", "/dev/null"};
        QTest::newRow("run raw without tcp") << QStringList{"run", "/nonexistent/x.scr", "--raw"};
        QTest::newRow("run with a bad var") << QStringList{"run", "/nonexistent/x.scr", "--var"};
        QTest::newRow("no file") << QStringList{"check"};
        QTest::newRow("missing file") << QStringList{"check", "/nonexistent/x.scr"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Result r = runTool(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("tarnex-script: "));
    }

    void help()
    {
        const Result r = runTool({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("check [--dump] FILE"));
        QVERIFY(r.out.contains("run FILE [--tcp HOST:PORT [--raw] | --listen PORT |"));
    }
};

QTEST_GUILESS_MAIN(ScriptToolTest)
#include "script_tool.moc"
