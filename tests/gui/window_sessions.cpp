#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

#include "comms/ui/Terminal.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"
#include "support/TelnetEntry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>

#include <QProcess>
#include <QSerialPort>

#include <csignal>

// Sessions in the real window, from the command line to hang-up: a TCP
// host's output on the screen, typed keys at the host, the host leaving,
// exit while online, a refused connection, and a serial line on a
// pseudo-terminal opened with -OPEN.
class WindowSessionsTest : public QObject {
    Q_OBJECT

    QTcpServer host;
    QTcpSocket *peer = nullptr;
    QByteArray atHost;
    RecordingPrompt prompt;

    void startSession(Application &application)
    {
        application.setPrompt(&prompt);
        application.start(
            {QStringLiteral("-TCP"), QStringLiteral("127.0.0.1"), QString::number(host.serverPort())});
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(application.window().statusPanel(),
            QStringLiteral("Connected to 127.0.0.1:%1").arg(host.serverPort()), 20000);
        QVERIFY(application.state().online());
    }

private slots:
    void init()
    {
        prompt.clear();
        peer = nullptr;
        atHost.clear();
        QVERIFY(host.listen(QHostAddress::LocalHost));
        connect(&host, &QTcpServer::newConnection, this, [this] {
            peer = host.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, this, [this] { atHost += peer->readAll(); });
        });
    }
    void cleanup()
    {
        host.close();
        host.disconnect(this);
    }

    void sessionFromCommandLine()
    {
        Application application;
        startSession(application);
        TMainform &window = application.window();
        QCOMPARE(window.linePanel(), QStringLiteral("Winsock"));
        // The carrier light is lit while connected, and every light out after hang-up.
        const auto lit = [&window](int light) {
            return window.lights().at(light)->palette().color(QPalette::Window) == QColor(Qt::red);
        };
        QVERIFY(lit(0));

        peer->write("\x1b[1;33mhello from the host\x1b[0m\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(pageText(window.terminal()).contains("hello from the host"), 20000);
        QVERIFY(pageText(window.terminal()).contains("Connected!"));

        window.terminal()->setFocus();
        QTest::keyClicks(window.terminal(), QStringLiteral("ls"));
        QTest::keyClick(window.terminal(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(atHost.contains("ls\r"), 20000);

        // The clock counts the connection's time and keeps it after hang-up.
        auto *clock = window.findChild<QLabel *>(QStringLiteral("lblTime"));
        QTRY_VERIFY_WITH_TIMEOUT(
            clock->text().startsWith(QLatin1String("00:00:0")) && clock->text() != "00:00:00", 5000);
        window.entry(QStringLiteral("Hangup1"))->trigger();
        QVERIFY(!application.state().online());
        QVERIFY(!application.port().isOpen());
        QCOMPARE(window.linePanel(), QStringLiteral("Offline"));
        QCOMPARE(window.statusPanel(), QStringLiteral("Not Connected"));
        for (int light = 0; light < 5; ++light)
            QVERIFY(!lit(light));
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 20000);
        const QString kept = clock->text();
        QTest::qWait(1100);
        QCOMPARE(clock->text(), kept);
    }

    // "#" opens Sessions; Enter on the filter's single match dials it.
    void dialFromPhonebook()
    {
        const QString home = QDir(qEnvironmentVariable("TARNEX_HOME")).absolutePath() + QLatin1Char('/');
        QFile::remove(home + QStringLiteral("Phone.Dat"));
        addTelnetEntry(home, QStringLiteral("Alpha Board"), host.serverPort());
        addTelnetEntry(home, QStringLiteral("Beta Board"), 9);
        Application application;
        application.setPrompt(&prompt);
        QSignalSpy started(&application, &Application::startupFinished);
        application.start({});
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 20000);
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            QWidget *sessions = QApplication::activeModalWidget();
            QVERIFY(sessions);
            shown = sessions->windowTitle();
            auto *filter = sessions->findChild<QLineEdit *>(QStringLiteral("filter"));
            QTest::keyClicks(filter, QStringLiteral("alpha"));
            QTest::keyClick(filter, Qt::Key_Return);
        });
        application.window().button(QStringLiteral("btnDial"))->click();
        QCOMPARE(shown, QStringLiteral("Sessions"));
        QCOMPARE(application.state().currentSessionName(), QStringLiteral("Alpha Board"));
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(application.state().online(), 20000);
        QVERIFY(prompt.texts().isEmpty());
        application.closeWithoutAsking();
    }

    void hostLeaves()
    {
        Application application;
        startSession(application);
        peer->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!application.state().online(), 20000);
        QCOMPARE(application.window().statusPanel(), QStringLiteral("Not connected"));
        QCOMPARE(application.window().linePanel(), QStringLiteral("Offline"));
        QVERIFY(pageText(application.window().terminal()).contains("Disconnected"));
    }

    // Exit while online asks first; Cancel keeps the session, OK hangs up.
    void exitWhileOnline()
    {
        Application application;
        startSession(application);
        TMainform &window = application.window();
        prompt.answerChoice(false);
        window.button(QStringLiteral("ExitBtn"))->click();
        QVERIFY(window.isVisible());
        QCOMPARE(prompt.texts(), QStringList{"You are online! Are you sure you want to exit?"});
        QVERIFY(application.state().online());
        QVERIFY(window.button(QStringLiteral("ExitBtn"))->isEnabled());
        prompt.answerChoice(true);
        QVERIFY(window.close());
        QVERIFY(!application.port().isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 20000);
    }

    // With the confirmation off, exit while online hangs up without asking.
    void exitWithoutConfirmation()
    {
        Application application;
        application.settings().write(Setting::ConfirmH, false);
        startSession(application);
        QVERIFY(application.window().close());
        QVERIFY(prompt.texts().isEmpty());
        QVERIFY(!application.port().isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 20000);
        application.settings().write(Setting::ConfirmH, true);
    }

    // A host that cannot be reached: the error notice, and the port closed a second later.
    void connectionRefused()
    {
        const quint16 unused = host.serverPort();
        host.close();
        Application application;
        application.setPrompt(&prompt);
        application.start({QStringLiteral("-TCP"), QStringLiteral("127.0.0.1"), QString::number(unused)});
        QTRY_VERIFY_WITH_TIMEOUT(pageText(application.window().terminal()).contains("Winsock Error"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            pageText(application.window().terminal()).contains("Port has been closed"), 20000);
        QVERIFY(!application.state().online());
        QVERIFY(!application.port().isOpen());
    }

    // -OPEN with a device path and a baud rate: the notice, the port open
    // at that rate, bytes both ways; -OPEN of a port that cannot be opened
    // leaves the window offline.
    void directSerialLine()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        Application application;
        application.setPrompt(&prompt);
        application.start({QStringLiteral("-open"), pty.near(), QStringLiteral("9600")});
        QTRY_VERIFY_WITH_TIMEOUT(application.state().online(), 20000);
        TMainform &window = application.window();
        // A long path runs over into the next line.
        const QString screen = pageText(window.terminal()).remove(QLatin1Char('\n'));
        QVERIFY2(
            screen.contains(QStringLiteral("Connected to COM %1  9600").arg(pty.near())), qPrintable(screen));
        QCOMPARE(application.port().serialSettings().baud, 9600);
        QSerialPort far;
        far.setPortName(pty.far());
        QVERIFY(far.open(QIODevice::ReadWrite));
        far.write("from the device\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(pageText(window.terminal()).contains("from the device"), 20000);
        window.terminal()->setFocus();
        QTest::keyClicks(window.terminal(), QStringLiteral("at"));
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += far.readAll()).contains("at"), 20000);
        window.button(QStringLiteral("btnHang"))->click();
        QVERIFY(!application.port().isOpen());
        QCOMPARE(window.linePanel(), QStringLiteral("Offline"));

        Application missing;
        missing.setPrompt(&prompt);
        missing.start({QStringLiteral("-OPEN"), QStringLiteral("/dev/no-such-tty"), QStringLiteral("-TCP"),
            QStringLiteral("127.0.0.1")});
        QTest::qWait(300);
        QVERIFY(!missing.state().online());
        QVERIFY(!missing.port().isOpen());
    }

    // A signal closes the program the usual way, hanging up, without asking
    // although it is online.
    void signalsCloseWithoutAsking_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsCloseWithoutAsking()
    {
        QFETCH(int, signalNumber);
        TLog log;
        SettingsStore store(SettingsFolders::fromEnvironment(), log, [](const QString &) {});
        // A width no window has: the close writes the real one.
        store.write(Setting::MainformW, 1);
        QProcess tarnex;
        tarnex.setProcessChannelMode(QProcess::ForwardedChannels);
        tarnex.start(qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/shell/tarnex"),
            {QStringLiteral("-TCP"), QStringLiteral("127.0.0.1"), QString::number(host.serverPort())});
        QVERIFY(tarnex.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 30000);
        ::kill(pid_t(tarnex.processId()), signalNumber);
        QVERIFY(tarnex.waitForFinished(30000));
        QCOMPARE(tarnex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tarnex.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 20000);
        QVERIFY(store.read(Setting::MainformW) > 1);
    }

    // --measure-startup starts as usual, closes the usual way and tells how long the start took.
    void measureStartup()
    {
        QProcess tarnex;
        tarnex.start(qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/shell/tarnex"),
            {QStringLiteral("--measure-startup")});
        QVERIFY(tarnex.waitForFinished(30000));
        QCOMPARE(tarnex.exitCode(), 0);
        const QList<QByteArray> words = tarnex.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(words.size(), 2);
        QCOMPARE(words[0], QByteArray("startup-ms"));
        bool ok = false;
        QVERIFY(words[1].toInt(&ok) >= 0 && ok);
    }

    // Other processes post the window's messages over a private session bus:
    // MsgHangup hangs up, MsgClose closes. A second Tarnex started meanwhile
    // finds the name taken and still runs.
    void postMessageOverDBus()
    {
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString address = QString::fromLatin1(daemon.readLine().trimmed());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        const QString program = qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/shell/tarnex");

        QProcess tarnex;
        tarnex.setProcessEnvironment(environment);
        tarnex.setProcessChannelMode(QProcess::ForwardedChannels);
        tarnex.start(program,
            {QStringLiteral("-TCP"), QStringLiteral("127.0.0.1"), QString::number(host.serverPort())});
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 30000);

        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(program, {QStringLiteral("--measure-startup")});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);

        const auto post = [&](uint number) {
            QProcess gdbus;
            gdbus.setProcessEnvironment(environment);
            gdbus.start(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                    QStringLiteral("Tarnex69.TarnexApp"), QStringLiteral("--object-path"),
                    QStringLiteral("/"), QStringLiteral("--method"),
                    QStringLiteral("Tarnex69.ITarnexApp.PostMessage"), QString::number(number),
                    QStringLiteral("0")});
            return gdbus.waitForFinished(10000) && gdbus.exitCode() == 0;
        };
        QVERIFY(post(1823));
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 20000);
        QVERIFY(tarnex.state() == QProcess::Running);
        QVERIFY(post(1830));
        QVERIFY(tarnex.waitForFinished(30000));
        QCOMPARE(tarnex.exitCode(), 0);
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_MAIN(WindowSessionsTest)
#include "window_sessions.moc"
