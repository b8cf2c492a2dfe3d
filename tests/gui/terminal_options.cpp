#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "comms/ui/Terminal.h"
#include "shell/HelpService.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/main/Application.h"
#include "shell/main/Mainform.h"
#include "shell/main/TermOptionsController.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"
#include "terminal/KeyboardSettings.h"
#include "terminal/ui/FontChooser.h"

namespace {

struct ScriptedFonts : FontChooser {
    std::optional<QFont> answer;
    QList<bool> fixedPitchAsked;
    std::optional<QFont> chooseFont(const QFont &, bool fixedPitchOnly, QWidget *) override
    {
        fixedPitchAsked << fixedPitchOnly;
        return answer;
    }
};

// Runs `step` on the modal dialog once it is active; a dialog the step leaves open is closed, so a
// failed step cannot hang the test.
void whenModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QPointer<QWidget> dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->activateWindow();
        const bool active = QTest::qWaitForWindowActive(dialog);
        if (active)
            step(dialog);
        const bool closed = QTest::qWaitFor([&dialog] { return !dialog || !dialog->isVisible(); }, 1000);
        if (!closed)
            dialog->close();
        QVERIFY(active);
    });
}

QAbstractButton *item(QWidget *dialog, const char *group, const QString &caption)
{
    for (auto *radio :
        dialog->findChild<QGroupBox *>(QString::fromLatin1(group))->findChildren<QRadioButton *>())
        if (radio->text() == caption)
            return radio;
    return nullptr;
}

QCheckBox *box(QWidget *dialog, const char *name)
{
    return dialog->findChild<QCheckBox *>(QString::fromLatin1(name));
}

QSpinBox *spin(QWidget *dialog, const char *name)
{
    return dialog->findChild<QSpinBox *>(QString::fromLatin1(name));
}

} // namespace

// The terminal options in the window: applied at start-up, the window fitted
// to the grid, the notice colours, the font commands and the Terminal
// Settings dialog.
class TerminalOptionsTest : public QObject {
    Q_OBJECT

    QString logPath;
    std::unique_ptr<TLog> log;
    RecordingPrompt prompt;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TMainform> window;
    RecordingHelp help;
    KeyboardSettings keyboard;
    ScriptedFonts fonts;
    bool adminAllows = true;
    int adminChecks = 0;
    std::unique_ptr<TermOptionsController> controller;

    Terminal &terminal() { return *window->terminal(); }

    void start()
    {
        controller->GetTermFOnt();
        controller->SizeWindowToTerminal();
    }
    QSize fittedSize()
    {
        return terminalWindowSize(QSize(terminal().charWidth(), terminal().charHeight()),
            terminal().columns(), terminal().pageHeight(), window->windowBars());
    }
    void openDialog(std::function<void(QWidget *)> step)
    {
        whenModal(std::move(step));
        window->entry(QStringLiteral("Terminaloptions1"))->trigger();
    }

private slots:
    void init()
    {
        logPath = QDir::temp().filePath(QStringLiteral("terminal-options-log.txt"));
        QFile::remove(logPath);
        log = std::make_unique<TLog>(logPath);
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        QFile::remove(store->filePath());
        window = std::make_unique<TMainform>();
        help.shown.clear();
        keyboard = KeyboardSettings();
        fonts = ScriptedFonts();
        adminAllows = true;
        adminChecks = 0;
        controller
            = std::make_unique<TermOptionsController>(*window, *store, *log, help, keyboard, fonts, [this] {
                  ++adminChecks;
                  return adminAllows;
              });
    }
    void cleanup()
    {
        controller.reset();
        window.reset();
    }

    // The stored options reach the terminal, and the window then holds the whole grid.
    void startupAppliesAndFits()
    {
        store->write(Setting::TFontHeight, -16);
        store->write(Setting::TermEmu, 3);
        store->write(Setting::Rows, 30);
        store->write(Setting::Cols, 100);
        store->write(Setting::Doorway, true);
        start();
        QCOMPARE(QFontInfo(terminal().terminalFont()).pixelSize(), 16);
        QCOMPARE(terminal().termemu().emulation(), 3);
        QCOMPARE(terminal().pageHeight(), 30);
        QCOMPARE(terminal().columns(), 100);
        QVERIFY(terminal().doorway());
        QCOMPARE(window->frameGeometry().size(), fittedSize());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(terminal().width() >= 100 * terminal().charWidth());
        QVERIFY(terminal().height() >= 30 * terminal().charHeight());
    }

    // The program applies the stored options when its window is built and writes what the terminal
    // then holds when it closes.
    void applicationLoadsAndSaves()
    {
        store->write(Setting::Rows, 0);
        store->write(Setting::TFontColor, 11);
        store->write(Setting::ConfirmH, false);
        {
            Application application;
            application.setHelp(&help);
            bool started = false;
            connect(&application, &Application::startupFinished, this, [&started] { started = true; });
            application.start({});
            QTRY_VERIFY_WITH_TIMEOUT(started, 20000);
            Terminal *shown = application.window().terminal();
            QCOMPARE(shown->pageHeight(), 25);
            QCOMPARE(application.window().frameGeometry().size(),
                terminalWindowSize(QSize(shown->charWidth(), shown->charHeight()), 80, 25,
                    application.window().windowBars()));
            shown->setPageSize(40, 100);
            shown->termemu().setEmulation(4);
            application.closeWithoutAsking();
        }
        QCOMPARE(store->read(Setting::Rows), 40);
        QCOMPARE(store->read(Setting::Cols), 100);
        QCOMPARE(store->read(Setting::TermEmu), 4);
        QCOMPARE(store->read(Setting::TFontColor), 11);
        QCOMPARE(store->read(Setting::ConfirmH), false);
    }

    // Notices are bright yellow on the background; what follows has the configured colours again.
    void noticeColours()
    {
        store->write(Setting::TFontColor, 2);
        store->write(Setting::BColor, 4);
        start();
        window->DisplayTerm(QStringLiteral("Hi"));
        terminal().writeText("x");
        const ScreenModel &screen = terminal().screen();
        for (int column : {0, 1}) {
            QCOMPARE(screen.cell(0, column).fg, 11);
            QCOMPARE(screen.cell(0, column).bg, 4);
        }
        QCOMPARE(screen.cell(1, 0).ch, U'x');
        QCOMPARE(screen.cell(1, 0).fg, 2);
        QCOMPARE(screen.cell(1, 0).bg, 4);
    }

    void fontButtons_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("direction");
        QTest::newRow("+ at the largest") << 20 << "btnFontUp" << 0;
        QTest::newRow("- at the smallest") << 5 << "btnFontDown" << 0;
        QTest::newRow("+") << 9 << "btnFontUp" << 1;
        QTest::newRow("-") << 9 << "btnFontDown" << -1;
    }
    // A step changes the window; at a limit nothing changes.
    void fontButtons()
    {
        QFETCH(int, size);
        QFETCH(QString, button);
        QFETCH(int, direction);
        store->write(Setting::TFontSize, size);
        store->write(Setting::TFontHeight, 0);
        start();
        const QSize before = window->size();
        QCOMPARE(QFontInfo(terminal().terminalFont()).pointSize(), size);
        window->button(button)->click();
        const int after = QFontInfo(terminal().terminalFont()).pointSize();
        QCOMPARE(after > size ? 1 : after < size ? -1 : 0, direction);
        QCOMPARE(window->size() != before, direction != 0);
        if (direction != 0)
            QCOMPARE(window->frameGeometry().size(), fittedSize());
    }

    // The dialog opens on the current settings; Help and Alt+H ask for context 20.
    void dialogShowsSettings()
    {
        store->write(Setting::TFontColor, 11);
        store->write(Setting::BColor, 4);
        store->write(Setting::IgnoreBC, true);
        store->write(Setting::TermEmu, 4);
        store->write(Setting::Rows, 30);
        store->write(Setting::Cols, 100);
        store->write(Setting::ConfirmH, false);
        store->write(Setting::Exitondis, true);
        store->write(Setting::Doorway, true);
        start();
        keyboard.emulationType = QStringLiteral("VT100A");
        keyboard.addCr = true;
        terminal().keyEmu().setProcessExtended(true);
        openDialog([this](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Terminal Settings"));
            QVERIFY(item(dialog, "foreground", "Yellow")->isChecked());
            QVERIFY(box(dialog, "foregroundBold")->isChecked());
            QVERIFY(item(dialog, "background", "Blue")->isChecked());
            QVERIFY(!box(dialog, "backgroundBold")->isChecked());
            QCOMPARE(spin(dialog, "rows")->value(), 30);
            QCOMPARE(spin(dialog, "columns")->value(), 100);
            QVERIFY(item(dialog, "terminalEmulation", "ANSI BBS")->isChecked());
            QVERIFY(item(dialog, "keyboardEmulation", "VT100")->isChecked());
            QStringList ticked;
            for (auto *check : dialog->findChildren<QCheckBox *>())
                if (check->isChecked())
                    ticked << check->text();
            QCOMPARE(ticked,
                (QStringList{"Bold", "Ignore background colors on extended attributes",
                    "Process Extendex Keys.", "Map F1-F10 to macros", "CR = LF + CR", "Exit on disconnect",
                    "Doorway"}));
            dialog->findChild<QPushButton *>(QStringLiteral("help"))->click();
            // A mnemonic presses its button after a short animation.
            QTest::keyClick(dialog, Qt::Key_H, Qt::AltModifier);
            QTRY_COMPARE(help.shown.size(), 2);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(help.shown, (QList<int>{20, 20}));
    }

    // The emulation, keyboard and session controls act at once, even when the dialog is cancelled.
    void immediateControls()
    {
        start();
        openDialog([](QWidget *dialog) {
            item(dialog, "terminalEmulation", "VT52")->click();
            item(dialog, "keyboardEmulation", "VT220")->click();
            box(dialog, "processAll")->click();
            box(dialog, "addLf")->click();
            box(dialog, "confirmHangup")->click();
            box(dialog, "exitOnDisconnect")->click();
            box(dialog, "doorway")->click();
            spin(dialog, "rows")->setValue(40);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(terminal().termemu().emulation(), 2);
        QCOMPARE(keyboard.emulationType, QStringLiteral("VT220N"));
        QCOMPARE(terminal().keyEmu().emulation(), QStringLiteral("VT220N"));
        QVERIFY(terminal().keyEmu().processAll());
        QVERIFY(keyboard.addLf);
        QVERIFY(!controller->options().confirmHangup);
        QVERIFY(controller->options().exitOnDisconnect);
        // What waits for OK did not happen.
        QCOMPARE(terminal().pageHeight(), 25);
        QVERIFY(!terminal().doorway());
        QCOMPARE(store->ReadSettingInteger(QString(), QStringLiteral("Doorway"), -1), -1);
        QVERIFY(store->ReadSettingInteger(QString(), QStringLiteral("TermFormw"), -9) > 0);
        controller->SaveTermFont();
        QCOMPARE(store->read(Setting::TermEmu), 2);
        QCOMPARE(store->read(Setting::Exitondis), true);
    }

    // OK applies the grid, colours and doorway; Yellow with Bold is saved as 11.
    void okApplies()
    {
        start();
        openDialog([](QWidget *dialog) {
            item(dialog, "foreground", "Yellow")->click();
            box(dialog, "foregroundBold")->setChecked(true);
            item(dialog, "background", "Blue")->click();
            spin(dialog, "rows")->setValue(30);
            spin(dialog, "columns")->setValue(90);
            box(dialog, "doorway")->click();
            box(dialog, "mapF")->click();
            QTest::keyClick(dialog, Qt::Key_O, Qt::AltModifier);
        });
        QCOMPARE(terminal().pageHeight(), 30);
        QCOMPARE(terminal().columns(), 90);
        QVERIFY(terminal().doorway());
        QCOMPARE(store->read(Setting::Doorway), true);
        QCOMPARE(store->ReadSettingBool(QString(), QStringLiteral("AllKeys"), true), false);
        QVERIFY(!keyboard.mapF);
        QCOMPARE(window->button("PhoneBtn")->text(), QStringLiteral("Phone"));
        QCOMPARE(window->button("ScriptsBtn")->text(), QStringLiteral("Scripts"));
        QCOMPARE(window->frameGeometry().size(), fittedSize());
        terminal().clearScreen();
        window->DisplayTerm(QString());
        terminal().writeText("x");
        QCOMPARE(terminal().screen().cell(1, 0).fg, 11);
        QCOMPARE(terminal().screen().cell(1, 0).bg, 4);
        controller->SaveTermFont();
        QCOMPARE(store->read(Setting::TFontColor), 11);
        QCOMPARE(store->read(Setting::BColor), 4);
        QCOMPARE(store->read(Setting::Rows), 30);
        QCOMPARE(store->read(Setting::Cols), 90);

        openDialog([](QWidget *dialog) {
            box(dialog, "doorway")->click();
            dialog->findChild<QPushButton *>(QStringLiteral("ok"))->click();
        });
        QCOMPARE(window->button("PhoneBtn")->text(), QStringLiteral("&Phone"));
        QCOMPARE(window->button("ScriptsBtn")->text(), QStringLiteral("&Scripts"));
    }

    void adminRefusalOpensNothing()
    {
        start();
        adminAllows = false;
        bool opened = false;
        QTimer::singleShot(0, [&opened] {
            if (QWidget *dialog = QApplication::activeModalWidget()) {
                opened = true;
                dialog->close();
            }
        });
        window->entry(QStringLiteral("Terminaloptions1"))->trigger();
        QTest::qWait(20);
        QCOMPARE(adminChecks, 1);
        QVERIFY(!opened);
        QCOMPARE(store->ReadSettingInteger(QString(), QStringLiteral("TermFormw"), -9), -9);
    }

    // "Terminal Font" asks for a fixed-pitch font and resets the grid to 80x25; the pop-up's "Font"
    // restores the stored grid. Both fit the window to the new cell.
    void fontCommands()
    {
        store->write(Setting::Rows, 30);
        store->write(Setting::Cols, 100);
        start();
        const int height = terminal().charHeight();
        QFont large(QStringLiteral("Terminal"));
        large.setPixelSize(20);
        fonts.answer = large;
        openDialog([](QWidget *dialog) {
            dialog->findChild<QPushButton *>(QStringLiteral("terminalFont"))->click();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(terminal().charHeight() > height);
        QCOMPARE(terminal().pageHeight(), 25);
        QCOMPARE(terminal().columns(), 80);

        QFont small(QStringLiteral("Terminal"));
        small.setPixelSize(10);
        fonts.answer = small;
        window->entry(QStringLiteral("Font1"))->trigger();
        QVERIFY(terminal().charHeight() < height);
        QCOMPARE(terminal().pageHeight(), 30);
        QCOMPARE(terminal().columns(), 100);
        QCOMPARE(window->frameGeometry().size(), fittedSize());
        QCOMPARE(fonts.fixedPitchAsked, (QList<bool>{true, false}));

        fonts.answer.reset();
        const QSize before = window->size();
        window->entry(QStringLiteral("Font1"))->trigger();
        QCOMPARE(window->size(), before);

        controller->SaveTermFont();
        QCOMPARE(store->read(Setting::TFontHeight), -10);
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("SizeToFOnt"), 2);
    }
};

QTEST_MAIN(TerminalOptionsTest)
#include "terminal_options.moc"
