#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "comms/ui/Terminal.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"
#include "support/RecordingHelp.h"
#include "support/TelnetEntry.h"
#include "support/TestFiles.h"

// Phonebook entries started with -START in the real window: a telnet
// session to inetutils telnetd, and a listening entry that the inetutils
// telnet client calls.
class WindowTelnetTest : public QObject {
    Q_OBJECT

    RecordingPrompt prompt;
    RecordingHelp help;

    static void addEntry(const QString &name, const QString &wmode, quint16 port)
    {
        addTelnetEntry(qEnvironmentVariable("TARNEX_HOME"), name, port,
            {{PhoneField::Wmode, wmode}, {PhoneField::Term, QStringLiteral("3")}});
    }
    void start(Application &application, const QString &entry)
    {
        application.setPrompt(&prompt);
        application.setHelp(&help);
        application.start({QStringLiteral("-START"), entry});
    }

private slots:
    void telnetdSession()
    {
        QTemporaryDir dir;
        const QString script = TestFiles::writeScript(dir.path(), QStringLiteral("board.sh"),
            "#!/bin/sh\nprintf '\\033[1;33mWelcome\\033[0m \\033[44mto the board\\033[0m\\r\\n'\nexec cat\n");
        QVERIFY(!script.isEmpty());
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + script));
        addEntry(QStringLiteral("Board"), QStringLiteral("0"), telnetd.port());

        Application application;
        start(application, QStringLiteral("Board"));
        TMainform &window = application.window();
        QTRY_VERIFY_WITH_TIMEOUT(pageText(window.terminal()).contains("Welcome to the board"), 30000);
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarnex 7.0  Board"));
        QCOMPARE(application.state().connectionKind(), ConnectionKind::TcpClient);
        // The entry's terminal emulation is in force.
        QCOMPARE(window.terminal()->termemu().emulation(), 3);
        window.terminal()->setFocus();
        QTest::keyClicks(window.terminal(), QStringLiteral("typed line"));
        QTest::keyClick(window.terminal(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(pageText(window.terminal()).count("typed line") >= 1, 30000);
        window.button(QStringLiteral("btnHang"))->click();
        QVERIFY(!application.port().isOpen());
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarnex 7.0"));
        QCOMPARE(window.statusPanel(), QStringLiteral("Not Connected"));
    }

    void listeningEntry()
    {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        addEntry(QStringLiteral("Listen"), QStringLiteral("1"), port);
        Application application;
        start(application, QStringLiteral("Listen"));
        TMainform &window = application.window();
        QTRY_COMPARE_WITH_TIMEOUT(
            window.statusPanel(), QStringLiteral("Waiting on 127.0.0.1:%1").arg(port), 30000);
        PtyProgram telnet;
        QVERIFY(telnet.start(QStringLiteral("telnet"), {QStringLiteral("127.0.0.1"), QString::number(port)}));
        QTRY_VERIFY_WITH_TIMEOUT(
            window.statusPanel().startsWith(QLatin1String("Connected to 127.0.0.1:")), 30000);
        telnet.write("hello tarnex\r");
        QTRY_VERIFY_WITH_TIMEOUT(pageText(window.terminal()).contains("hello tarnex"), 30000);
        window.terminal()->setFocus();
        QTest::keyClicks(window.terminal(), QStringLiteral("hi caller"));
        QTRY_VERIFY_WITH_TIMEOUT(telnet.output().contains("hi caller"), 30000);
        window.button(QStringLiteral("btnHang"))->click();
        QVERIFY(!application.port().isOpen());
    }
};

QTEST_MAIN(WindowTelnetTest)
#include "window_telnet.moc"
