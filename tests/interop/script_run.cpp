// The script interpreter on a pseudo-terminal line fed by socat, and tarnex-script run.
#include "support/LinePeers.h"
#include "support/TestFiles.h"

#include "comms/line/Comport.h"
#include "script/ScriptFileSender.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"
#include "shell/RecordingPrompt.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptTables;

namespace {

// A script engine on the near end of a pty pair; the test talks on the far end.
struct Fixture {
    PtyPair pty;
    Comport near;
    Comport far;
    RecordingPrompt prompt;
    TScript script;
    QTemporaryDir dir;
    // LastCondition as each record starts, and the texts shown.
    QList<int> conditions;
    QStringList shown;
    int finished = -1;
    HandlerRegistration drain;

    bool open()
    {
        if (!pty.start())
            return false;
        near.setDevicePath(pty.near());
        far.setDevicePath(pty.far());
        near.open();
        far.open();
        // What the terminal would take out of the input buffer.
        drain = near.events().data.attach(HandlerStage::Window, [this](const QByteArray &, qint64) {
            near.getBlock(near.charReady());
            return false;
        });
        return true;
    }
    void run(const QString &text)
    {
        const QString path = dir.filePath(QStringLiteral("t.scr"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toLatin1());
        file.close();
        script.setComPort(&near);
        script.setPrompt(&prompt);
        QObject::connect(&script, &TScript::OnScriptCommandStart,
            [this](TScript *, const TScriptNode &, int condition) { conditions << condition; });
        QObject::connect(
            &script, &TScript::OnScriptDisplay, [this](TScript *, const QString &t) { shown << t; });
        QObject::connect(
            &script, &TScript::OnScriptFinish, [this](TScript *, int condition) { finished = condition; });
        script.setScriptFile(path);
        script.PrepareScript();
        script.StartScript();
    }
    bool waitFinished(int ms = 10000)
    {
        return QTest::qWaitFor([this] { return finished != -1; }, ms);
    }
};

QString toolPath()
{
    return qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-script/tarnex-script");
}

} // namespace

// Records what SENDFILE asks for; the test ends the send.
class RecordingFileSender : public ScriptFileSender {
public:
    void send(const QString &path, std::function<void()> done) override
    {
        paths << path;
        done_ = std::move(done);
    }
    void cancel() override { ++cancels; }
    void finish() { std::exchange(done_, nullptr)(); }
    QStringList paths;
    int cancels = 0;

private:
    std::function<void()> done_;
};

class ScriptRunTest : public QObject {
    Q_OBJECT
private slots:
    void waitMultiGivesTheSlotOfTheText();
    void retryCounting_data();
    void retryCounting();
    void waitOnClosedPortEndsAtOnce();
    void delayDoesNotCountAsTimeout();
    void shutdownEndsWithTheCurrentCondition();
    void cancelMidWait();
    void promptsPrintAndFileSend();
    void openClientConnectsAndTheEndClosesThePort();
    void waitForTimeGoesOnOnceTheTimeHasCome();
    void fileCommands();
    void toolOptions();
    void toolExitCodes_data();
    void toolExitCodes();
    void toolUploadsTheNamedFileToRz();
    void toolSendsAFileRaw();
};

void ScriptRunTest::waitMultiGivesTheSlotOfTheText()
{
    Fixture f;
    QVERIFY(f.open());
    f.run(QStringLiteral("WaitMulti 'busy|connect|no carrier' 600\n:Done\n"));
    QVERIFY(f.script.running());
    QTest::qWait(50);
    f.far.putString(QStringLiteral("\r\nCONNECT 9600\r\n"));
    QVERIFY(f.waitFinished());
    QCOMPARE(f.conditions.last(), 2);
    QCOMPARE(f.finished, int(Success));
}

// Each row: the script, what the far end answers to "go", and LastCondition at every record start.
void ScriptRunTest::retryCounting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("third consecutive time-out fails")
        << QStringLiteral("Compare 'a' 'a'\n:L\nWait 'never' 2\nIf TIMEOUT L\n:End\n")
        << QList<int>{0, Equal, Equal, Timeout, Timeout, Timeout, Timeout, Timeout, Timeout, Fail, Fail};
    QTest::newRow("retry 1 fails at once")
        << QStringLiteral("Set Retry 1\nWait 'never' 2\n:End\n") << QList<int>{0, 0, Fail};
    QTest::newRow("a match resets the count")
        << QStringLiteral("Wait 'x' 2\nWait 'x' 2\nSend 'go'\nWait 'hi' 180\nWait 'x' 2\n:End\n")
        << QList<int>{0, Timeout, Timeout, Timeout, Success, Timeout};
}

void ScriptRunTest::retryCounting()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);
    Fixture f;
    QVERIFY(f.open());
    const HandlerRegistration answer
        = f.far.events().data.attach(HandlerStage::Window, [&f](const QByteArray &, qint64) {
              if (f.far.getBlock(f.far.charReady()).contains("go"))
                  f.far.putString(QStringLiteral("oh hi"));
              return false;
          });
    f.conditions.clear();
    f.script.LastCondition = 0;
    f.run(text);
    QVERIFY(f.waitFinished());
    QCOMPARE(f.conditions, expected);
}

void ScriptRunTest::waitOnClosedPortEndsAtOnce()
{
    Fixture f;
    f.run(QStringLiteral("Compare 'Yes' 'yes'\nWait 'x' 10\nDisplay 'after'\n"));
    QCOMPARE(f.finished, int(NotEqual));
    QVERIFY(f.shown.isEmpty());
    QVERIFY(!f.script.running());
}

// The file commands through the interpreter: the configuration file is
// written and read back, copied, deleted, and a program is started with an
// argument no shell sees. Paths reach it upper-cased, as the parser leaves them.
void ScriptRunTest::fileCommands()
{
    Fixture f;
    QStringList started;
    f.script.setProcessStarter([&started](const QString &program, const QStringList &arguments) {
        started << program << arguments;
        return true;
    });
    const QString dir = f.dir.path();
    f.run(QStringLiteral("Set ConfigFile '%1/board.ini'\n"
                         "WriteConfig 'Login' 'User' 'ann'\n"
                         "ReadConfig 'login' 'USER' 'nobody'\n"
                         "Compare @LASTINPUT 'ann'\n"
                         "If NotEqual Bad\n"
                         "FileCopy '%1/board.ini' '%1/copy.ini' 'ALWAYS'\n"
                         "Delete '%1/board.ini'\n"
                         "ExecFile 'ls \"a b; $(rm -rf x)\"'\n"
                         "Display 'ok'\n"
                         ":Bad\n")
              .arg(dir));
    QVERIFY(f.waitFinished());
    QCOMPARE(f.shown, QStringList{QStringLiteral("ok")});
    QVERIFY(!QFile::exists(dir + QStringLiteral("/board.ini")));
    QCOMPARE(TestFiles::read(dir + QStringLiteral("/copy.ini")), QByteArray("[Login]\nUser=ann\n"));
    QCOMPARE(started.mid(1), (QStringList{QStringLiteral("A B; $(RM -RF X)")}));
    QVERIFY(started.first().endsWith(QLatin1String("/ls")));
}

void ScriptRunTest::delayDoesNotCountAsTimeout()
{
    Fixture f;
    QVERIFY(f.open());
    QElapsedTimer clock;
    clock.start();
    f.run(QStringLiteral("Set Retry 2\nWait 'x' 1\nDelay 18\nDisplay 'after'\n"));
    QVERIFY(f.waitFinished());
    QVERIFY(clock.elapsed() >= 900);
    // Display starts with the time-out of the wait, not the FAIL a second one would give.
    QCOMPARE(f.conditions.at(3), int(Timeout));
    QCOMPARE(f.shown, QStringList{QStringLiteral("after")});

    Fixture closed;
    closed.run(QStringLiteral("Delay 18\nDisplay 'went on'\n"));
    QCOMPARE(closed.prompt.texts(),
        QStringList{QStringLiteral("Must have connection open to delay script. No current connection.")});
    QCOMPARE(closed.shown, QStringList{QStringLiteral("went on")});
    QCOMPARE(closed.finished, int(Success));
}

void ScriptRunTest::shutdownEndsWithTheCurrentCondition()
{
    Fixture f;
    QSignalSpy closing(&f.script, &TScript::closeRequested);
    f.run(QStringLiteral("Compare 'a' 'b'\nShutdown\nDisplay 'not shown'\n"));
    QCOMPARE(f.finished, int(NotEqual));
    QVERIFY(f.shown.isEmpty());
    QCOMPARE(closing.count(), 1);
    QVERIFY(f.script.ShutdownRequested);
}

void ScriptRunTest::cancelMidWait()
{
    Fixture f;
    QVERIFY(f.open());
    f.run(QStringLiteral("Wait 'never' 600\nDisplay 'went on'\n"));
    QVERIFY(f.script.running());
    f.script.CancelScript();
    QCOMPARE(f.finished, int(Fail));
    QVERIFY(!f.script.running());
    f.far.putString(QStringLiteral("never"));
    QTest::qWait(300);
    QVERIFY(f.shown.isEmpty());
    // A second cancel finds nothing to finish.
    f.finished = -1;
    f.script.CancelScript();
    QCOMPARE(f.finished, -1);
}

void ScriptRunTest::promptsPrintAndFileSend()
{
    Fixture f;
    QVERIFY(f.open());
    RecordingFileSender sender;
    QList<int> printed;
    f.script.setFileSender(&sender);
    f.script.setPrintPoster([&printed](int what) { printed << what; });
    f.prompt.answerInput(QStringLiteral("typed"));
    f.prompt.answerInput(std::nullopt);
    f.prompt.answerInput(QStringLiteral("from function"));
    // Script texts come upper-cased; the file is found without case.
    const QString sent = f.dir.filePath(QStringLiteral("Mixed.bin"));
    QFile touched(sent);
    QVERIFY(touched.open(QIODevice::WriteOnly));
    touched.close();
    const QString text = QStringLiteral("Input 'Cap' 'Name?' 'dflt'\nDisplay @LASTINPUT\n"
                                        "Input 'Cap' 'Again?' 'dflt'\nDisplay @LASTINPUT\n"
                                        "Display @INPUT 'C' 'P' 'D'\n"
                                        "Print Window\nPrint Buffer\nPrint Other\n");
    f.run(text + QStringLiteral("SendFile '%1/mixed.BIN'\nDisplay 'sent'\n").arg(f.dir.path()));
    // The send holds the script until it ends, and a tick after that.
    QVERIFY(f.script.running());
    QCOMPARE(sender.paths, QStringList{sent});
    QCOMPARE(f.shown,
        (QStringList{QStringLiteral("typed"), QStringLiteral("dflt"), QStringLiteral("from function")}));
    QCOMPARE(f.prompt.texts(),
        (QStringList{QStringLiteral("Name?"), QStringLiteral("Again?"), QStringLiteral("P")}));
    QCOMPARE(printed, (QList<int>{0, 1}));
    sender.finish();
    QVERIFY(f.waitFinished());
    QCOMPARE(f.shown.last(), QStringLiteral("sent"));
    QCOMPARE(f.finished, int(Success));

    // Cancelling during a send cancels the send.
    Fixture g;
    QVERIFY(g.open());
    RecordingFileSender held;
    g.script.setFileSender(&held);
    g.run(QStringLiteral("SendFile '/tmp/x.bin'\nDisplay 'sent'\n"));
    g.script.CancelScript();
    QCOMPARE(held.cancels, 1);
    QCOMPARE(g.finished, int(Fail));
    held.finish();
    QTest::qWait(200);
    QVERIFY(g.shown.isEmpty());
}

void ScriptRunTest::openClientConnectsAndTheEndClosesThePort()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Fixture f;
    f.near.setTelnet(false);
    f.run(QStringLiteral("OpenClient '127.0.0.1' %1\nDisplay 'on'\nSend 'hello'\nDelay 9\n")
              .arg(server.serverPort()));
    QVERIFY(f.script.running());
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket *peer = server.nextPendingConnection();
    QVERIFY(f.waitFinished());
    QCOMPARE(f.conditions.at(1), int(Connected));
    QCOMPARE(f.shown, QStringList{QStringLiteral("on")});
    QByteArray got;
    QTRY_VERIFY2((got += peer->readAll()).contains("hello"), got.toHex().constData());
    // The port was closed when the script opened it: it is closed again.
    QVERIFY(!f.near.isOpen());
}

void ScriptRunTest::waitForTimeGoesOnOnceTheTimeHasCome()
{
    Fixture f;
    // A time already past at any hour but the first second of the day.
    f.run(QStringLiteral("WaitForTime 00:00:01\nDisplay 'time'\n"));
    QVERIFY(f.script.running());
    QVERIFY(f.shown.isEmpty());
    QVERIFY(f.waitFinished());
    QCOMPARE(f.shown, QStringList{QStringLiteral("time")});
}

// --var sets a variable, INPUT reads stdin, --listen waits for a caller.
void ScriptRunTest::toolOptions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.scr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Display @WHO\nInput 'c' 'Name?' 'none'\nDisplay @LASTINPUT\nSend 'bye'\nWait 'ok' 180\n"
               "If TIMEOUT Out\nDisplay 'answered'\n:Out\nShutdown\n");
    file.close();
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess tool;
    tool.start(toolPath(),
        {QStringLiteral("run"), path, QStringLiteral("--listen"), QString::number(port),
            QStringLiteral("--var"), QStringLiteral("@WHO=tester"), QStringLiteral("--quiet")});
    QVERIFY(tool.waitForStarted());
    tool.write("Alice\n");
    QTcpSocket caller;
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (caller.state() == QAbstractSocket::UnconnectedState)
                caller.connectToHost(QHostAddress::LocalHost, port);
            return caller.waitForConnected(100);
        },
        10000));
    QVERIFY(
        QTest::qWaitFor([&] { return caller.readAll().contains("bye") || caller.bytesAvailable(); }, 10000));
    caller.write("ok");
    QVERIFY(caller.waitForBytesWritten(5000));
    QVERIFY(tool.waitForFinished(20000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("tester\nAlice\nanswered\n"));
}

void ScriptRunTest::toolExitCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("success") << QStringLiteral("Display 'hi'\n") << 0 << QString();
    QTest::newRow("notequal at a closed wait") << QStringLiteral("Compare 'Yes' 'yes'\nWait 'x' 10\n")
                                               << 2001 % 256 << QStringLiteral("NOTEQUAL (2001) at line 2");
    QTest::newRow("no condition") << QStringLiteral("Wait 'x' 10\n") << 1 << QStringLiteral("(0) at line 1");
    QTest::newRow("ends with a wait that times out")
        << QStringLiteral("OpenClient '127.0.0.1' %1\nDelay 1\n") << 0 << QString();
    QTest::newRow("bad line") << QStringLiteral("Display 'a'\nBogus\n") << 1
                              << QStringLiteral("Error in line number 2");
    QTest::newRow("refused connection")
        << QStringLiteral("OpenClient '127.0.0.1' %1\nIf ERROR Out\nDisplay 'no'\n:Out\nShutdown\n")
        << 1005 % 256 << QStringLiteral("ERROR (1005) at line 5");
}

void ScriptRunTest::toolExitCodes()
{
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(QString, stderrHas);
    QTcpServer closedPort;
    QVERIFY(closedPort.listen(QHostAddress::LocalHost));
    const quint16 refused = closedPort.serverPort();
    closedPort.close();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.scr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString(text).replace(QLatin1String("%1"), QString::number(refused)).toLatin1());
    file.close();
    QProcess tool;
    tool.start(toolPath(), {QStringLiteral("run"), path});
    QVERIFY(tool.waitForFinished(20000));
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), status);
    QVERIFY2(errors.contains(stderrHas), qPrintable(errors));
}

void ScriptRunTest::toolUploadsTheNamedFileToRz()
{
    QTemporaryDir dir;
    const QString up = dir.filePath(QStringLiteral("up"));
    const QString received = dir.filePath(QStringLiteral("received"));
    QVERIFY(QDir().mkpath(up) && QDir().mkpath(received));
    QByteArray content;
    for (int i = 0; i < 30000; ++i)
        content.append(char(i * 7 % 251));
    QFile out(QDir(up).filePath(QStringLiteral("f.bin")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();
    // A second file in the folder: only the named one goes.
    QFile other(QDir(up).filePath(QStringLiteral("other.bin")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    SocketExec rz;
    const QString receiver = TestFiles::writeScript(dir.path(), QStringLiteral("rz.sh"),
        "#!/bin/sh\ncd '" + received.toLocal8Bit() + "' && exec rz -q\n");
    QVERIFY(rz.start(receiver));
    const QString path = TestFiles::writeScript(dir.path(), QStringLiteral("up.scr"),
        "Set FileName f.bin\nUpload ZMODEM\nIf FAIL Out\nDisplay 'sent'\n:Out\nShutdown\n");
    QVERIFY(!path.isEmpty());
    QProcess tool;
    tool.start(toolPath(),
        {QStringLiteral("run"), path, QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(rz.port()),
            QStringLiteral("--raw"), QStringLiteral("--dir"), up, QStringLiteral("--quiet")});
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("sent\n"));
    QTRY_COMPARE(QDir(received).entryList(QDir::Files), QStringList{QStringLiteral("f.bin")});
    QFile got(QDir(received).filePath(QStringLiteral("f.bin")));
    QVERIFY(got.open(QIODevice::ReadOnly));
    QCOMPARE(got.readAll(), content);
}

QTEST_GUILESS_MAIN(ScriptRunTest)
#include "script_run.moc"

// SENDFILE from the tool: the file goes out unchanged, then the script goes on.
void ScriptRunTest::toolSendsAFileRaw()
{
    QTemporaryDir dir;
    QByteArray content;
    for (int i = 0; i < 70000; ++i)
        content.append(char(i * 13 % 256));
    QFile out(dir.filePath(QStringLiteral("raw.bin")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();
    const QString received = dir.filePath(QStringLiteral("received.bin"));
    SocketExec sink;
    const QString catcher = TestFiles::writeScript(
        dir.path(), QStringLiteral("catch.sh"), "#!/bin/sh\nexec cat > '" + received.toLocal8Bit() + "'\n");
    QVERIFY(sink.start(catcher));
    const QString path = TestFiles::writeScript(
        dir.path(), QStringLiteral("send.scr"), "SendFile 'raw.bin'\nDisplay 'sent'\nDelay 9\n");
    QVERIFY(!path.isEmpty());
    QProcess tool;
    tool.start(toolPath(),
        {QStringLiteral("run"), path, QStringLiteral("--tcp"),
            QStringLiteral("127.0.0.1:%1").arg(sink.port()), QStringLiteral("--raw"), QStringLiteral("--dir"),
            dir.path(), QStringLiteral("--quiet")});
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("sent\n"));
    QTRY_COMPARE(TestFiles::read(received), content);
}
