#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "comms/transfer/ProtocolEngine.h"
#include "extras/AdminLock.h"
#include "sessions/SessionState.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/main/Mainform.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"
#include "support/ScriptedAdminDialogs.h"
#include "transfer/ui/ProtocolOptionsController.h"
#include "transfer/ui/TProtOptions.h"

namespace {

// Runs `step` on the options dialog once it is up; a dialog the step leaves
// open is closed, so a failed step cannot hang the test.
void whenModal(int *opened, std::function<void(TProtOptions *)> step)
{
    QTimer::singleShot(0, [opened, step = std::move(step)] {
        QPointer<TProtOptions> dialog = qobject_cast<TProtOptions *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ++*opened;
        dialog->activateWindow();
        if (QTest::qWaitForWindowActive(dialog))
            step(dialog);
        if (!QTest::qWaitFor([&dialog] { return !dialog || !dialog->isVisible(); }, 1000))
            dialog->close();
    });
}

template <typename T> T *control(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QString::fromLatin1(name));
}

void retype(QWidget *dialog, const char *name, const QString &text)
{
    QLineEdit *edit = control<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Changes one control of each kind.
void changeSome(QWidget *dialog)
{
    retype(dialog, "edBlockLength", QStringLiteral("1024"));
    retype(dialog, "edCharDelay", QStringLiteral("123456"));
    control<QCheckBox>(dialog, "chkHonor")->setChecked(true);
    control<QCheckBox>(dialog, "chkAutoZmodem")->setChecked(false);
    control<QComboBox>(dialog, "cbNameCollision")->setCurrentIndex(1);
    control<QComboBox>(dialog, "cbLfTranslation")->setCurrentIndex(2);
}

} // namespace

// The options dialog from the Transfer menu: filled from the engine, OK
// copies the choices into the entry, the engine and the settings, Cancel and
// a refused password change nothing.
class ProtocolOptionsDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLog> log;
    RecordingPrompt prompt;
    RecordingHelp help;
    ScriptedAdminDialogs admin;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TMainform> window;
    ProtocolEngine engine;
    SessionState state;
    std::unique_ptr<AdminLock> lock;
    std::unique_ptr<ProtocolOptionsController> controller;
    bool showHints = true;
    int opened = 0;

    QByteArray storedSettings() const
    {
        QFile file(store->filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void chooseOptions(std::function<void(TProtOptions *)> step)
    {
        whenModal(&opened, std::move(step));
        window->entry(QStringLiteral("TransferOptions1"))->trigger();
        // A step left over when no dialog opened finds none now.
        QCoreApplication::processEvents();
    }
    void expectNothingChanged(const PhonebookEntry &entry, const QByteArray &settings)
    {
        for (int field = 0; field < PhonebookEntry::fieldCount; ++field)
            QCOMPARE(state.currentEntry().get(PhoneField(field)), entry.get(PhoneField(field)));
        QCOMPARE(storedSettings(), settings);
        QCOMPARE(engine.options().kermitMaxLen, 80);
        QCOMPARE(engine.options().asciiCharDelayMs, 0);
        QVERIFY(!engine.options().honorDirectory);
        QVERIFY(controller->switches().autoZmodem);
    }

private slots:
    void init()
    {
        log = std::make_unique<TLog>(QDir::temp().filePath(QStringLiteral("protocol-options-log.txt")));
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        QFile::remove(store->filePath());
        store->setRoot(SettingsStore::Root::Machine);
        QFile::remove(store->filePath());
        store->setRoot(SettingsStore::Root::User);
        window = std::make_unique<TMainform>();
        engine.setOptions(ProtocolOptions());
        state.setCurrentEntry(PhonebookEntry::newEntry(), QStringLiteral("BBS"));
        lock = std::make_unique<AdminLock>(*store, prompt, admin, *log);
        controller = std::make_unique<ProtocolOptionsController>(ProtocolOptionsController::Parts{engine,
            *store, state, help, window.get(), window->entry(QStringLiteral("TransferOptions1")),
            [this] { return lock->AdminCheck(); }, [this] { return showHints; }});
        controller->LoadProtocolOptions();
        prompt.clear();
        help.shown.clear();
        opened = 0;
        showHints = true;
    }
    void cleanup()
    {
        controller.reset();
        window.reset();
    }

    // Filled from the engine; Alt+O stores the edits in the entry (cut to
    // their fields) and hands them to the engine and the settings.
    void okCopiesBack()
    {
        QVERIFY(window->entry(QStringLiteral("TransferOptions1"))->isEnabled());
        chooseOptions([](TProtOptions *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("File transfer protocol options"));
            QCOMPARE(control<QLineEdit>(dialog, "edBlockLength")->text(), QStringLiteral("80"));
            QCOMPARE(control<QLineEdit>(dialog, "edEofTimeout")->text(), QStringLiteral("364"));
            QCOMPARE(
                control<QComboBox>(dialog, "cbFileManagement")->currentText(), QStringLiteral("overwrite"));
            QCOMPARE(
                control<QComboBox>(dialog, "cbNameCollision")->currentText(), QStringLiteral("overwrite "));
            QVERIFY(control<QCheckBox>(dialog, "chkAutoZmodem")->isChecked());
            QCOMPARE(control<QLineEdit>(dialog, "edWindows")->maxLength(), 2);
            QVERIFY(control<QComboBox>(dialog, "cbLfTranslation")
                        ->toolTip()
                        .startsWith(QLatin1String("How Tarnex handles a line")));
            changeSome(dialog);
            QTest::keyClick(dialog, Qt::Key_O, Qt::AltModifier);
        });
        QCOMPARE(opened, 1);
        const PhonebookEntry &entry = state.currentEntry();
        QCOMPARE(state.currentSessionName(), QStringLiteral("BBS"));
        QCOMPARE(entry.get(PhoneField::KBlock), QStringLiteral("1024"));
        QCOMPARE(entry.get(PhoneField::CharDelay), QStringLiteral("12345"));
        QCOMPARE(entry.get(PhoneField::Hincom), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::NameC), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::LFTrans), QStringLiteral("2"));
        QCOMPARE(engine.options().kermitMaxLen, 1024);
        QCOMPARE(engine.options().asciiCharDelayMs, 12345);
        QCOMPARE(engine.options().writeFailAction, WriteFailAction::Reject);
        QVERIFY(engine.options().honorDirectory);
        QCOMPARE(store->read(Setting::KermitMaxLen), 1024);
        QCOMPARE(store->read(Setting::AsciiLFTranslation), 2);
        QVERIFY(!controller->switches().autoZmodem);
        // The switches are written at exit.
        QVERIFY(store->read(Setting::AutoZmodem));
        controller->saveSwitches();
        QVERIFY(!store->read(Setting::AutoZmodem));
    }

    // Alt+C after editing, and Alt+H (help, the dialog stays) before it.
    void cancelChangesNothing()
    {
        showHints = false;
        const PhonebookEntry entry = state.currentEntry();
        const QByteArray settings = storedSettings();
        chooseOptions([this](TProtOptions *dialog) {
            QVERIFY(control<QComboBox>(dialog, "cbLfTranslation")->toolTip().isEmpty());
            changeSome(dialog);
            QTest::keyClick(dialog, Qt::Key_H, Qt::AltModifier);
            QTRY_COMPARE(help.shown, QList<int>{16});
            QVERIFY(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
        });
        QCOMPARE(opened, 1);
        expectNothingChanged(entry, settings);
    }

    // With a password set, a wrong answer keeps the dialog shut; the right
    // one opens it.
    void adminCheckGuardsTheDialog()
    {
        admin.presses = {{QString(), QStringLiteral("secret"), QStringLiteral("secret")}};
        lock->AdminPassword1Click();
        QVERIFY(lock->isLocked());
        const PhonebookEntry entry = state.currentEntry();
        const QByteArray settings = storedSettings();

        admin.typed = {QStringLiteral("guess")};
        chooseOptions([](TProtOptions *dialog) { changeSome(dialog); });
        QCOMPARE(opened, 0);
        QCOMPARE(prompt.texts(), QStringList{QStringLiteral("You are not authorized to use this function.")});
        expectNothingChanged(entry, settings);

        admin.typed = {QStringLiteral("secret")};
        chooseOptions([](TProtOptions *dialog) { dialog->reject(); });
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(ProtocolOptionsDialogTest)
#include "protocol_options.moc"
