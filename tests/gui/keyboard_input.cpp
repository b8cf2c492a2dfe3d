#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "comms/keyboard/DefaultKeyMap.h"
#include "comms/ui/KeymapEditor.h"
#include "comms/ui/Terminal.h"
#include "shell/ProgramDir.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/OnlineWindow.h"

// Keys from the window to the line: the emulator's set-up and its log,
// carriage-return translation with and without echo, the echo entries,
// keypad modes, and the hot keys F10 and Alt+F4.
// Counts the presses of one key a widget receives.
class KeySpy : public QObject {
public:
    explicit KeySpy(int key)
        : key_(key)
    { }
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == key_)
            ++presses;
        return false;
    }

private:
    int key_;
};

class KeyboardInputTest : public QObject {
    Q_OBJECT

    RecordingPrompt prompt;

    static QStringList logLines(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static void focus(TMainform &window, QWidget *widget)
    {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    }

private slots:
    void init() { prompt.clear(); }

    void setKeyEmulatorLogs_data()
    {
        QTest::addColumn<QString>("storedType");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("allKeys");
        QTest::addColumn<QString>("type");
        QTest::newRow("empty type") << "" << true << false << "ANSI";
        QTest::newRow("old VT100 name") << "VT100" << false << true << "VT100N";
        QTest::newRow("application VT220") << "VT220A" << true << true << "VT220A";
    }
    void setKeyEmulatorLogs()
    {
        QFETCH(QString, storedType);
        QFETCH(bool, extended);
        QFETCH(bool, allKeys);
        QFETCH(QString, type);
        QTemporaryDir dir;
        Application application;
        application.settings().write(Setting::KeyEmu, storedType);
        application.settings().write(Setting::Extended, extended);
        application.settings().write(Setting::AllKeys, allKeys);
        TLog &log = application.log();
        log.setFileName(dir.filePath(QStringLiteral("log.txt")));
        log.setDateStamp(false);
        log.setTimeStamp(false);
        log.setEnabled(true);

        application.keyboard().load(ProgramDir::resolve());
        const auto shown = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
        const QStringList expected{"Setting keyboard emulator", "Extended keys: " + shown(extended),
            "Extended keys: " + shown(allKeys), "EmulatorType=" + type};
        // The settings store logs its reads in between.
        QStringList lines;
        for (const QString &line : logLines(log.fileName())) {
            if (!line.startsWith(QLatin1String("Reading ")))
                lines << line.trimmed();
        }
        QCOMPARE(lines, expected);
        const KeyEmu &emulator = application.window().terminal()->keyEmu();
        QVERIFY(emulator.isEnabled());
        QCOMPARE(emulator.emulation(), type);
        QCOMPARE(emulator.processExtended(), extended);
        QCOMPARE(emulator.processAll(), allKeys);
    }

    // Keyboard > Setup opens the editor on the key map; closing it sets the
    // emulator up again from the settings.
    void keymapEditorReappliesTheEmulator()
    {
        Application application;
        application.settings().write(Setting::KeyEmu, QStringLiteral("ANSI"));
        application.settings().write(Setting::Extended, true);
        application.keyboard().load(ProgramDir::resolve());
        TMainform &window = application.window();
        window.show();
        KeyEmu &emulator = window.terminal()->keyEmu();
        emulator.setEnabled(false);
        emulator.setProcessExtended(false);
        emulator.setEmulation(QStringLiteral("VT52"));

        window.entry(QStringLiteral("KeyboardSetup1"))->trigger();
        auto *editor = window.findChild<KeymapEditor *>();
        QVERIFY(editor);
        QTRY_VERIFY(editor->isVisible());
        QVERIFY(!emulator.isEnabled());
        editor->close();
        QVERIFY(emulator.isEnabled());
        QVERIFY(emulator.processExtended());
        QCOMPARE(emulator.emulation(), QStringLiteral("ANSI"));
        QCOMPARE(emulator.mapFile(), DefaultKeyMap::pathIn(ProgramDir::resolve()));
    }

    // Enter under the translations: the bytes on the line, whether the
    // screen shows them, and whether it showed them before they were sent.
    void carriageReturn_data()
    {
        QTest::addColumn<bool>("addLf");
        QTest::addColumn<bool>("addCr");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("shownBeforeSent");
        const int enter = Qt::Key_Return;
        QTest::newRow("plain") << false << false << true << enter << "\r" << QByteArray("a\r") << false;
        QTest::newRow("CR LF") << true << false << false << enter << "\r" << QByteArray("a\r\n") << false;
        QTest::newRow("CR LF echoed")
            << true << false << true << enter << "\r" << QByteArray("a\r\n") << false;
        QTest::newRow("LF CR") << false << true << false << enter << "\r" << QByteArray("a\n\r") << false;
        QTest::newRow("LF CR echoed")
            << false << true << true << enter << "\r" << QByteArray("a\n\r") << true;
        QTest::newRow("both: CR LF") << true << true << true << enter << "\r" << QByteArray("a\r\n") << false;
        QTest::newRow("typed LF untouched") << true << true << true << int(Qt::Key_J) << "\n"
                                            << QByteArray("a\n") << false;
    }
    void carriageReturn()
    {
        QFETCH(bool, addLf);
        QFETCH(bool, addCr);
        QFETCH(bool, echo);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QFETCH(bool, shownBeforeSent);
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        KeyboardController &keyboard = online.application().keyboard();
        keyboard.settings().addLf = addLf;
        keyboard.settings().addCr = addCr;
        keyboard.setEcho(echo);
        Terminal *terminal = online.window().terminal();
        focus(online.window(), terminal);
        QTest::keyClick(terminal, Qt::Key_A);
        const int row = terminal->screen().cursorRow();
        int rowWhenSent = -1;
        connect(&online.application().port(), &Comport::sent, this, [&](const QByteArray &bytes) {
            if (bytes != "a")
                rowWhenSent = terminal->screen().cursorRow();
        });
        QTest::sendKeyEvent(QTest::Click, terminal, Qt::Key(key), text,
            key == Qt::Key_J ? Qt::ControlModifier : Qt::NoModifier);

        QCOMPARE(online.received(line.size()), line);
        const bool movesDown = line.contains('\n');
        QCOMPARE(terminal->screen().cursorRow(), row + (echo && movesDown ? 1 : 0));
        QCOMPARE(terminal->lineText(terminal->firstVisibleLine() + row).startsWith(QLatin1Char('a')), echo);
        if (echo && movesDown)
            QCOMPARE(rowWhenSent != row, shownBeforeSent);
        online.application().closeWithoutAsking();
    }

    // Both entries turn echo on and off and carry the same check mark; the
    // state starts from the setting and is written at exit.
    void localEchoEntries()
    {
        {
            Application application;
            application.settings().write(Setting::Echo, true);
            application.keyboard().load(ProgramDir::resolve());
            TMainform &window = application.window();
            QAction *setup = window.entry(QStringLiteral("LocalEcho1"));
            QAction *popUp = window.entry(QStringLiteral("PopLocalEcho1"));
            QVERIFY(window.terminal()->halfDuplex());
            QVERIFY(setup->isChecked() && popUp->isChecked());
            for (QAction *entry : {setup, popUp, popUp}) {
                const bool before = window.terminal()->halfDuplex();
                entry->trigger();
                QCOMPARE(window.terminal()->halfDuplex(), !before);
                QCOMPARE(setup->isChecked(), !before);
                QCOMPARE(popUp->isChecked(), !before);
            }
            QVERIFY(!window.terminal()->halfDuplex());
            QVERIFY(window.close());
        }
        Application next;
        QVERIFY(!next.settings().read(Setting::Echo));
        QVERIFY(!next.window().terminal()->halfDuplex());
    }

    // The keypad entries switch between a terminal's numeric and application
    // tables; others keep their type and only the check mark moves. The
    // stored type is not changed.
    void keypadModes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("type");
        QTest::newRow("VT100 application") << "VT100N"
                                           << "Application1"
                                           << "VT100A";
        QTest::newRow("VT100 numeric") << "VT100A"
                                       << "Numeric1"
                                       << "VT100N";
        QTest::newRow("VT220 application") << "VT220N"
                                           << "Application1"
                                           << "VT220A";
        QTest::newRow("VT220 numeric") << "VT220A"
                                       << "Numeric1"
                                       << "VT220N";
        QTest::newRow("ANSI application") << "ANSI"
                                          << "Application1"
                                          << "ANSI";
        QTest::newRow("ANSI numeric") << "ANSI"
                                      << "Numeric1"
                                      << "ANSI";
    }
    void keypadModes()
    {
        QFETCH(QString, stored);
        QFETCH(QString, entry);
        QFETCH(QString, type);
        Application application;
        application.settings().write(Setting::KeyEmu, stored);
        application.keyboard().load(ProgramDir::resolve());
        TMainform &window = application.window();
        QAction *numeric = window.entry(QStringLiteral("Numeric1"));
        QAction *applicationKeypad = window.entry(QStringLiteral("Application1"));
        // Start from the other item, so the check mark has to move.
        (entry == QLatin1String("Numeric1") ? applicationKeypad : numeric)->setChecked(true);
        Terminal *terminal = window.terminal();
        const int row = terminal->screen().cursorRow();
        const QString before = terminal->keyEmu().emulation();

        window.entry(entry)->trigger();
        QCOMPARE(terminal->keyEmu().emulation(), type);
        QCOMPARE(numeric->isChecked(), entry == QLatin1String("Numeric1"));
        QCOMPARE(applicationKeypad->isChecked(), entry == QLatin1String("Application1"));
        // Numeric first shows the type it switches from.
        const QString notice = terminal->lineText(terminal->firstVisibleLine() + row).trimmed();
        QCOMPARE(notice, entry == QLatin1String("Numeric1") ? before : QString());
        application.keyboard().save();
        QCOMPARE(application.settings().read(Setting::KeyEmu), stored);
    }

    // F10 from anywhere in the window reaches the line as the emulated
    // terminal's F10, opens no menu and leaves the focus on the terminal.
    void f10GoesToTheEmulator()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        TMainform &window = online.window();
        QToolButton *setup = window.button(QStringLiteral("TerminalBtn"));
        focus(window, setup);
        QTest::keyClick(setup, Qt::Key_F10);
        QCOMPARE(online.received(5), QByteArray("\x1b[21~"));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(QApplication::focusWidget(), window.terminal());
        QTest::keyClick(window.terminal(), Qt::Key_F10);
        QCOMPARE(online.received(10), QByteArray("\x1b[21~\x1b[21~"));
        online.application().closeWithoutAsking();
    }

    // Pause holds a break on the line while the program goes on running,
    // and the key still reaches the terminal.
    void pauseSendsABreak()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        Terminal *terminal = online.window().terminal();
        focus(online.window(), terminal);
        Comport &port = online.application().port();
        bool heldMeanwhile = false;
        QTimer::singleShot(100, this, [&] { heldMeanwhile = port.inBreak(); });
        KeySpy spy(Qt::Key_Pause);
        terminal->installEventFilter(&spy);
        QTest::keyClick(terminal, Qt::Key_Pause);
        QVERIFY(heldMeanwhile);
        QVERIFY(!port.inBreak());
        QCOMPARE(spy.presses, 1);
        online.application().closeWithoutAsking();
    }

    // Alt+F4 closes through the usual close path, with its question while online.
    void altF4Closes()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        TMainform &window = online.window();
        focus(window, window.terminal());
        prompt.answerChoice(false);
        QTest::keyClick(window.terminal(), Qt::Key_F4, Qt::AltModifier);
        QTRY_COMPARE(prompt.texts(), QStringList{"You are online! Are you sure you want to exit?"});
        QVERIFY(window.isVisible());
        // Alt let go before F4, as a quick hand does.
        prompt.answerChoice(true);
        QTest::keyPress(window.terminal(), Qt::Key_F4, Qt::AltModifier);
        QTest::keyRelease(window.terminal(), Qt::Key_Alt);
        QTest::keyRelease(window.terminal(), Qt::Key_F4);
        QVERIFY(window.isVisible());
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!online.application().port().isOpen());
    }
};

QTEST_MAIN(KeyboardInputTest)
#include "keyboard_input.moc"
