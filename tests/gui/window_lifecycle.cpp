#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/RecordingHelp.h"
#include "support/ScriptedAdminDialogs.h"

#include <QAction>

// Start-up and close in their order: the log lines, the files read at
// start (aliases, icons), the what-is-new page on the first start only, and
// the window's place written at exit and used at the next start.
class WindowLifecycleTest : public QObject {
    Q_OBJECT

    QString home;
    RecordingPrompt prompt;
    RecordingHelp help;

    QString logText() const
    {
        QFile file(home + QStringLiteral("tarnexlog.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Each line's message, without the date and time stamps.
    QStringList logMessages() const
    {
        QStringList messages;
        for (const QString &line : logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            messages << line.section(QStringLiteral(" - "), 2);
        return messages;
    }
    void startAndWait(Application &application)
    {
        application.setPrompt(&prompt);
        application.setHelp(&help);
        bool started = false;
        connect(&application, &Application::startupFinished, this, [&started] { started = true; });
        application.start({});
        QTRY_VERIFY_WITH_TIMEOUT(started, 20000);
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void init()
    {
        home = qEnvironmentVariable("TARNEX_HOME");
        QVERIFY(!home.isEmpty());
        QDir(home).removeRecursively();
        QDir().mkpath(home);
        QDir(qEnvironmentVariable("TARNEX_CONFIG_HOME")).removeRecursively();
        prompt.clear();
        help.shown.clear();
    }

    void firstStartAndExit()
    {
        writeFile(home + QStringLiteral("alias.ini"), "/GO first\r\n/go second\nnoblank\n");
        QDir().mkpath(home + QStringLiteral("Icons/more"));
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        QVERIFY(icon.save(home + QStringLiteral("Icons/more/b.ico")));
        QVERIFY(icon.save(home + QStringLiteral("Icons/a.ico")));
        int savedWidth = 0;
        QPoint savedPlace;
        {
            Application application;
            startAndWait(application);
            QCOMPARE(help.shown, QList<int>{HelpService::whatIsNew});
            QVERIFY(application.settings().read(Setting::ShowNew690));
            QCOMPARE(
                application.aliases().ExpandAlias(QStringLiteral("/Go")), (QStringList{"first", "second"}));
            QCOMPARE(application.icons().files().size(), 2);
            QVERIFY(application.icons().files().first().endsWith(QLatin1String("Icons/a.ico")));
            QVERIFY(QDir(home + QStringLiteral("Upload")).exists());
            // At start both status panels are empty.
            QCOMPARE(application.window().linePanel(), QString());
            QCOMPARE(application.window().statusPanel(), QString());
            application.window().move(40, 50);
            savedWidth = application.window().normalGeometry().width();
            savedPlace = application.window().normalGeometry().topLeft();
            QVERIFY(application.window().close());
            QVERIFY(prompt.texts().isEmpty());
        }
        const QStringList expected{QStringLiteral("Current Dir=") + home, QStringLiteral("Loading Icons"),
            QStringLiteral("Lists Created"), QStringLiteral("Entering TermFont"),
            QStringLiteral("Setting sound dir to: ") + home + QStringLiteral("sounds/"),
            QStringLiteral("Terminal settings loaded"), QStringLiteral("Entering startup code"),
            QStringLiteral("CloseQuery"), QStringLiteral("Closing application"),
            QStringLiteral("Macros saved"), QStringLiteral("Closing Form"), QStringLiteral("Form Closed")};
        QStringList seen = logMessages();
        seen.erase(std::remove_if(seen.begin(), seen.end(),
                       [&expected](const QString &line) { return !expected.contains(line); }),
            seen.end());
        QCOMPARE(seen, expected);

        help.shown.clear();
        Application again;
        QCOMPARE(again.settings().read(Setting::MainformW), savedWidth);
        startAndWait(again);
        QVERIFY(help.shown.isEmpty());
        // The place is kept; the size follows the terminal's grid.
        QCOMPARE(again.window().normalGeometry().topLeft(), savedPlace);
        again.window().close();
    }

    // Icon files that cannot be read are logged and reported once; the
    // others are loaded and start-up goes on.
    void brokenIcon()
    {
        QDir().mkpath(home + QStringLiteral("Icons"));
        writeFile(home + QStringLiteral("Icons/bad.ico"), "not an icon");
        writeFile(home + QStringLiteral("Icons/notes.png"), "a text file\n");
        writeFile(home + QStringLiteral("Icons/drawn.svg"),
            "<svg xmlns='http://www.w3.org/2000/svg' width='32' height='32'><circle cx='16' cy='16' "
            "r='9'/></svg>");
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        QVERIFY(icon.save(home + QStringLiteral("Icons/good.png")));
        Application application;
        startAndWait(application);
        QCOMPARE(prompt.texts(), QStringList{QStringLiteral("Error loading icons")});
        QCOMPARE(application.icons().count(), 2);
        QCOMPARE(application.icons().fileName(0), QStringLiteral("drawn.svg"));
        QVERIFY(logText().contains(
            QLatin1String("Error loading icons: ") + home + QLatin1String("Icons/bad.ico")));
        QVERIFY(logText().contains(
            QLatin1String("Error loading icons: ") + home + QLatin1String("Icons/notes.png")));
        QVERIFY(logText().contains(QLatin1String("Entering startup code")));
        application.window().close();
    }

    // The first start seeds the icon folder with the shipped icons; an icon
    // the user deleted does not come back at the next start.
    void shippedIcons()
    {
        const QString folder = home + QStringLiteral("Icons/");
        int shipped = 0;
        {
            Application application;
            startAndWait(application);
            shipped = application.icons().count();
            QVERIFY(shipped >= 8);
            QVERIFY(prompt.texts().isEmpty());
            QCOMPARE(application.iconPicker().windowTitle(), QStringLiteral("Session Icons"));
            QVERIFY(QFile::remove(folder + application.icons().fileName(0)));
            application.window().close();
        }
        Application again;
        startAndWait(again);
        QCOMPARE(again.icons().count(), shipped - 1);
        again.window().close();
    }

    // With application logging off no log file is made, even at start.
    void applicationLogOff()
    {
        {
            Application application;
            application.settings().write(Setting::AppLog, false);
        }
        Application application;
        startAndWait(application);
        application.window().close();
        QVERIFY(!QFile::exists(home + QStringLiteral("tarnexlog.txt")));
    }

    // Setup > Admin Password sets the lock machine-wide; the next start
    // reads it back.
    void adminPasswordFromMenu()
    {
        {
            Application application;
            ScriptedAdminDialogs dialogs;
            dialogs.presses = {{QString(), QStringLiteral("s3cret"), QStringLiteral("s3cret")}};
            application.setAdminDialogs(&dialogs);
            startAndWait(application);
            QVERIFY(!application.adminLock().isLocked());
            application.window().entry(QStringLiteral("AdminPassword1"))->trigger();
            QVERIFY(application.adminLock().isLocked());
            application.window().close();
        }
        Application again;
        ScriptedAdminDialogs dialogs;
        dialogs.typed = {QStringLiteral("s3cret")};
        again.setAdminDialogs(&dialogs);
        startAndWait(again);
        QVERIFY(again.adminLock().isLocked());
        QVERIFY(again.adminLock().AdminCheck());
        QCOMPARE(dialogs.accessAsked, 1);
        again.window().close();
    }
};

QTEST_MAIN(WindowLifecycleTest)
#include "window_lifecycle.moc"
