#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comms/ui/Terminal.h"
#include "script/ui/TScrDialog.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"
#include "support/RecordingHelp.h"
#include "support/TelnetEntry.h"
#include "support/TestFiles.h"

// Script > Record in the real window, typing at a login on inetutils
// telnetd; the recording is saved as a script.
class WindowScriptsTest : public QObject {
    Q_OBJECT

    // Script > Run, choosing path in the picker.
    void runFromPicker(Application &app, const QString &path)
    {
        QTimer::singleShot(0, this, [path] {
            auto *picker = qobject_cast<TScrDialog *>(QApplication::activeModalWidget());
            QVERIFY(picker);
            picker->fileEdit()->setText(path);
            picker->okClicked();
        });
        app.window().entry(QStringLiteral("Run1"))->trigger();
    }

private slots:
    void init() { QFile::remove(qEnvironmentVariable("TARNEX_HOME") + QStringLiteral("Phone.Dat")); }

    // An entry's startup script runs once the telnet session is up.
    void startupScriptRuns()
    {
        QTemporaryDir dir;
        const QString board = TestFiles::writeScript(dir.path(), QStringLiteral("board.sh"),
            "#!/bin/sh\nprintf 'Name? '\nread name\nprintf 'Hi %s\\r\\n' \"$name\"\nexec cat\n");
        const QString login = TestFiles::writeScript(dir.path(), QStringLiteral("login.scr"),
            "Wait 'Name?' 300\nSend 'robot^M'\nWait 'Hi' 300\nDisplay 'logged in'\n");
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + board));
        const QString home = qEnvironmentVariable("TARNEX_HOME");
        addTelnetEntry(home, QStringLiteral("Auto"), telnetd.port(), {{PhoneField::Script, login}});

        RecordingPrompt prompt;
        RecordingHelp help;
        Application app;
        app.setPrompt(&prompt);
        app.setHelp(&help);
        app.start({QStringLiteral("-START"), QStringLiteral("Auto")});
        QTRY_VERIFY_WITH_TIMEOUT(
            pageText(app.window().terminal()).contains(QStringLiteral("logged in")), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(app.window().statusPanel(), QStringLiteral("Script complete"), 10000);
        // The board echoed the name the script sent.
        QVERIFY(pageText(app.window().terminal()).contains(QStringLiteral("Name? robot")));
        QVERIFY(prompt.shown().isEmpty());

        // Hanging up stops a script in the middle of its wait.
        const QString waiter
            = TestFiles::writeScript(dir.path(), QStringLiteral("wait.scr"), "Wait 'never' 30000\n");
        runFromPicker(app, waiter);
        QVERIFY(app.state().scriptRunning());
        QVERIFY(app.script().running());
        app.window().entry(QStringLiteral("Hangup1"))->trigger();
        QVERIFY(!app.script().running());
        QVERIFY(!app.state().scriptRunning());
        QVERIFY(app.window().entry(QStringLiteral("Run1"))->isEnabled());
    }

    void recordALogin()
    {
        QTemporaryDir dir;
        const QString board = TestFiles::writeScript(dir.path(), QStringLiteral("login.sh"),
            "#!/bin/sh\nprintf 'board login: '\nread user\nprintf 'Password: '\nread pass\n"
            "printf 'Welcome %s\\r\\n$ '\nexec cat\n");
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + board));
        const QString home = qEnvironmentVariable("TARNEX_HOME");
        addTelnetEntry(home, QStringLiteral("Board"), telnetd.port());

        RecordingPrompt prompt;
        RecordingHelp help;
        Application app;
        app.setPrompt(&prompt);
        app.setHelp(&help);
        app.start({QStringLiteral("-START"), QStringLiteral("Board")});
        Terminal *terminal = app.window().terminal();
        QTRY_VERIFY_WITH_TIMEOUT(pageText(terminal).contains(QStringLiteral("login:")), 30000);

        app.window().entry(QStringLiteral("Record1"))->trigger();
        QCOMPARE(app.window().statusPanel(), QStringLiteral("Recording script"));
        QVERIFY(!app.window().entry(QStringLiteral("Record1"))->isEnabled());
        QVERIFY(app.window().entry(QStringLiteral("HaltRecord1"))->isEnabled());
        terminal->setFocus();
        QTest::keyClicks(terminal, QStringLiteral("ann"));
        QTest::keyClick(terminal, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(pageText(terminal).contains(QStringLiteral("Password:")), 30000);
        QTest::keyClicks(terminal, QStringLiteral("s^cret"));
        QTest::keyClick(terminal, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(pageText(terminal).contains(QStringLiteral("Welcome")), 30000);

        const QString saved = dir.filePath(QStringLiteral("login"));
        prompt.answerFiles({saved});
        app.window().entry(QStringLiteral("HaltRecord1"))->trigger();
        QCOMPARE(app.window().statusPanel(), QStringLiteral("Script record complete"));
        QCOMPARE(TestFiles::read(saved + QStringLiteral(".scr")),
            QByteArray("Wait 'login' 300\nIf Timeout End\nSend 'ann^M'\n"
                       "Wait 'sword' 300\nIf Timeout End\nSend 's^^^^cret^M'\n:End\n"));
        // A telnet session asks nothing about the entry's default script.
        QCOMPARE(prompt.shown().size(), 1);
        QVERIFY(app.window().entry(QStringLiteral("Record1"))->isEnabled());

        // Cancelling the save keeps the lines for the next recording.
        app.window().entry(QStringLiteral("Record1"))->trigger();
        app.window().entry(QStringLiteral("HaltRecord1"))->trigger();
        QCOMPARE(app.window().statusPanel(), QStringLiteral("Canceled script"));
        QCOMPARE(app.recorder().lines().size(), 7);

        // The recording logs in on its own, headless, to the same board.
        QProcess tool;
        tool.start(
            qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-script/tarnex-script"),
            {QStringLiteral("run"), saved + QStringLiteral(".scr"), QStringLiteral("--tcp"),
                QStringLiteral("127.0.0.1:%1").arg(telnetd.port())});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        // Both prompts were met (a time-out would end with TIMEOUT).
        QVERIFY(tool.readAllStandardOutput().contains("Password:"));

        // Script > Run on the open session: the picker starts it, the menu
        // follows, and the end is reported.
        const QString echo = dir.filePath(QStringLiteral("echo.scr"));
        QVERIFY(!TestFiles::writeScript(dir.path(), QStringLiteral("echo.scr"),
            "Send 'hello there^M'\nWait 'there' 200\nIf Timeout Out\nDisplay 'heard it'\n:Out\n")
                     .isEmpty());
        runFromPicker(app, echo);
        QVERIFY(
            app.state().scriptRunning() || app.window().statusPanel() == QStringLiteral("Script complete"));
        QTRY_COMPARE_WITH_TIMEOUT(app.window().statusPanel(), QStringLiteral("Script complete"), 20000);
        QVERIFY(pageText(terminal).contains(QStringLiteral("heard it")));
        // The script's polling of the line is no socket error.
        QVERIFY(!pageText(terminal).contains(QStringLiteral("Winsock Error")));
        QVERIFY(app.port().isOpen());
        QVERIFY(!app.state().scriptRunning());
        QVERIFY(app.window().entry(QStringLiteral("Run1"))->isEnabled());
        QVERIFY(!app.window().entry(QStringLiteral("ScriptStop1"))->isEnabled());
    }
};

QTEST_MAIN(WindowScriptsTest)
#include "window_scripts.moc"
