#include <QAction>
#include <QFile>
#include <QFrame>
#include <QSerialPort>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "comms/ui/Terminal.h"
#include "shell/ProgramDir.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"

// The window's switches as a user meets them across runs: the port's log
// and trace follow the comport logging switch from the next connection on,
// and the status bar and hints come back as they were left.
class WindowOptionsTest : public QObject {
    Q_OBJECT

    RecordingPrompt prompt;

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QAction *entry(Application &application, const char *name)
    {
        return application.window().entry(QString::fromLatin1(name));
    }
    // Started with no parameters, as from the desktop.
    void started(Application &application)
    {
        application.setPrompt(&prompt);
        bool done = false;
        connect(&application, &Application::startupFinished, this, [&done] { done = true; });
        application.start({});
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    }
    // A session on a pseudo-terminal that receives `text`, then hang-up.
    void session(
        Application &application, PtyPair &pty, const QByteArray &text, const char *toggleWhileOnline)
    {
        application.setPrompt(&prompt);
        application.start({QStringLiteral("-OPEN"), pty.near(), QStringLiteral("9600")});
        QTRY_VERIFY_WITH_TIMEOUT(application.state().online(), 20000);
        if (toggleWhileOnline)
            entry(application, toggleWhileOnline)->trigger();
        QSerialPort far;
        far.setPortName(pty.far());
        QVERIFY(far.open(QIODevice::ReadWrite));
        far.write(text);
        QVERIFY(far.waitForBytesWritten(5000));
        QTRY_VERIFY_WITH_TIMEOUT(
            pageText(application.window().terminal()).contains(QLatin1String(text)), 20000);
        application.window().button(QStringLiteral("btnHang"))->click();
        QVERIFY(!application.port().isOpen());
    }

private slots:
    void init()
    {
        prompt.clear();
        const QString dir = ProgramDir::resolve();
        for (const char *name : {"Comport.Log", "Comport.Trc"})
            QFile::remove(dir + QLatin1String(name));
    }

    // Switched on while connected: nothing is written at that hang-up; the
    // switch is saved at exit, and the next run's connection is logged and
    // traced, both files written at hang-up.
    void comportLoggingFromNextConnection()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        const QString dir = ProgramDir::resolve();
        {
            Application first;
            QVERIFY(entry(first, "ComportLogging1")->isEnabled());
            session(first, pty, "first-run", "ComportLogging1");
            QVERIFY(entry(first, "ComportLogging1")->isChecked());
            QVERIFY(!QFile::exists(dir + QStringLiteral("Comport.Log")));
            QVERIFY(!QFile::exists(dir + QStringLiteral("Comport.Trc")));
            first.closeWithoutAsking();
        }
        Application second;
        session(second, pty, "second-run", nullptr);
        QVERIFY(entry(second, "ComportLogging1")->isChecked());
        for (const char *name : {"Comport.Log", "Comport.Trc"}) {
            const QByteArray text = contents(dir + QLatin1String(name));
            QVERIFY2(text.contains("|second-run|"), text.constData());
            QVERIFY2(!text.contains("first-run"), text.constData());
        }
    }

    // Hiding the status bar takes its height off the window, not off the
    // terminal; showing it gives it back. The state survives a restart.
    void showComStat()
    {
        {
            Application application;
            started(application);
            TMainform &window = application.window();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(entry(application, "ShowComStat1")->isChecked());
            const int windowHeight = window.height();
            const int terminalHeight = window.terminal()->height();
            const int barHeight = window.statusBar()->height();
            QVERIFY(barHeight > 0);

            entry(application, "ShowComStat1")->trigger();
            QVERIFY(!entry(application, "ShowComStat1")->isChecked());
            QVERIFY(!window.statusBar()->isVisible());
            QTRY_COMPARE(window.height(), windowHeight - barHeight);
            QTRY_COMPARE(window.terminal()->height(), terminalHeight);

            entry(application, "ShowComStat1")->trigger();
            QVERIFY(window.statusBar()->isVisible());
            QTRY_COMPARE(window.height(), windowHeight);
            QTRY_COMPARE(window.terminal()->height(), terminalHeight);

            entry(application, "ShowComStat1")->trigger();
            application.closeWithoutAsking();
        }
        Application again;
        started(again);
        QVERIFY(!entry(again, "ShowComStat1")->isChecked());
        QVERIFY(!again.window().statusBar()->isVisibleTo(&again.window()));
        QVERIFY(!again.settings().read(Setting::ShowComStat));
        entry(again, "ShowComStat1")->trigger();
        again.closeWithoutAsking();
    }

    // Hints off takes every tool tip away, written as SHowHint and read back.
    void showHints()
    {
        {
            Application application;
            started(application);
            QVERIFY(entry(application, "ShowHints1")->isChecked());
            QCOMPARE(application.window().button(QStringLiteral("btnHang"))->toolTip(),
                QStringLiteral("Hangup connection"));
            entry(application, "ShowHints1")->trigger();
            QVERIFY(application.window().button(QStringLiteral("btnHang"))->toolTip().isEmpty());
            QVERIFY(application.window().button(QStringLiteral("ExitBtn"))->toolTip().isEmpty());
            QVERIFY(application.window().lights().first()->toolTip().isEmpty());
            application.closeWithoutAsking();
            QVERIFY(contents(application.settings().filePath()).contains("SHowHint"));
        }
        Application again;
        started(again);
        QVERIFY(!entry(again, "ShowHints1")->isChecked());
        QVERIFY(again.window().button(QStringLiteral("btnHang"))->toolTip().isEmpty());
        entry(again, "ShowHints1")->trigger();
        QCOMPARE(again.window().lights().first()->toolTip(), QStringLiteral("Carrier"));
        again.closeWithoutAsking();
    }

    // The log starts with the program folder; the application and protocol
    // logging entries act at once and are checked as the stored switches say.
    void loggingEntries()
    {
        {
            QFile::remove(ProgramDir::resolve() + QStringLiteral("tarnexlog.txt"));
            Application application;
            started(application);
            const QByteArray firstLine
                = contents(ProgramDir::resolve() + QStringLiteral("tarnexlog.txt")).split('\n').first();
            QVERIFY2(
                firstLine.endsWith("Current Dir=" + ProgramDir::resolve().toUtf8()), firstLine.constData());
            QVERIFY(entry(application, "ApplicationLogging1")->isChecked());
            QVERIFY(!entry(application, "ProtocolLogging1")->isChecked());
            entry(application, "ApplicationLogging1")->trigger();
            QVERIFY(!application.log().enabled());
            entry(application, "ProtocolLogging1")->trigger();
            QCOMPARE(application.logging().historyFile(), ProgramDir::resolve() + QStringLiteral("prot.txt"));
            application.closeWithoutAsking();
        }
        QFile::remove(ProgramDir::resolve() + QStringLiteral("tarnexlog.txt"));
        Application again;
        started(again);
        QVERIFY(!entry(again, "ApplicationLogging1")->isChecked());
        QVERIFY(entry(again, "ProtocolLogging1")->isChecked());
        // Off from the start: not even the first lines create the file.
        QVERIFY(!QFile::exists(ProgramDir::resolve() + QStringLiteral("tarnexlog.txt")));
        entry(again, "ApplicationLogging1")->trigger();
        entry(again, "ProtocolLogging1")->trigger();
        again.closeWithoutAsking();
    }
};

QTEST_MAIN(WindowOptionsTest)
#include "window_options.moc"
