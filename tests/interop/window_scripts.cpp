#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include "comms/ui/Terminal.h"
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

private slots:
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
    }
};

QTEST_MAIN(WindowScriptsTest)
#include "window_scripts.moc"
