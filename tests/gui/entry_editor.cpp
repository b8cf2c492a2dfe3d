#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "extras/ui/SessionIcons.h"
#include "sessions/DeviceList.h"
#include "sessions/PortNameRecord.h"
#include "sessions/QuickConnectDialogs.h"
#include "sessions/SessionState.h"
#include "sessions/store/RecordStore.h"
#include "sessions/ui/QtEntryEditors.h"
#include "sessions/ui/TPhoneNum.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"

namespace {

// "Comport parameters" answered by a step; keeps what it was shown.
class ScriptedLineDialog : public QuickConnectDialogs {
public:
    std::optional<ComportParameters> shown;
    std::function<void(ComportParameters &)> answer;

    bool selectComport(ComportChoice &, const QList<DeviceEntry> &) override { return false; }
    bool comportParameters(ComportParameters &parameters) override
    {
        shown = parameters;
        if (!answer)
            return false;
        answer(parameters);
        return true;
    }
};

// Runs step on the modal dialog once it is up; a dialog the step leaves
// open is cancelled, so a failed step cannot hang the test.
template <typename Dialog> void whenModal(std::function<void(Dialog *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QPointer<Dialog> dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        step(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

template <typename T> T *control(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(control<QPushButton>(dialog, button), Qt::LeftButton);
}

void retype(QWidget *dialog, const char *name, const QString &text)
{
    QLineEdit *edit = control<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void chooseDevice(QWidget *dialog, int number)
{
    auto *devices = control<QComboBox>(dialog, "cmbDevice");
    const int item = devices->findData(number, Qt::UserRole);
    devices->setCurrentIndex(item);
    emit devices->activated(item);
}

bool enabled(QWidget *dialog, const char *name)
{
    return control<QWidget>(dialog, name)->isEnabled();
}

SessionEditorFields telnetFields()
{
    SessionEditorFields fields;
    fields.name = QStringLiteral("Harbour BBS");
    fields.phone = QStringLiteral("555 0100");
    fields.script = QStringLiteral("/scripts/logon.scr");
    fields.last = QStringLiteral("3/4/26 9:15 PM");
    fields.address = QStringLiteral("bbs.example.net");
    fields.tcpPort = QStringLiteral("2323");
    fields.tcp = true;
    fields.server = true;
    fields.answer = true;
    fields.protocol = 8;
    fields.terminal = 3;
    fields.keyboard = 4;
    fields.iconIndex = 1;
    fields.iconName = QStringLiteral("b.png");
    fields.retries = 12;
    fields.waitSeconds = 40;
    return fields;
}

const QString onlineText = QStringLiteral(
    "You are currently online. You cannot change any devices or port settings at this time.");

} // namespace

// "Session properties" and "New FTP Connection": the controls shown from the
// fields and the current entry, what the editor writes into the entry at
// once, and what OK and Cancel give back.
class EntryEditorTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TLog> log;
    std::unique_ptr<SettingsStore> settings;
    RecordingPrompt prompt;
    RecordingHelp help;
    SessionState state;
    DeviceList devices;
    SessionIcons icons;
    ScriptedLineDialog lineDialog;
    bool online = false;
    QStringList selectedLineDevices;
    QStringList configuredLineDevices;
    QStringList scriptsEdited;
    std::optional<QString> scriptSaved;
    int protocolOptionsOpened = 0;
    std::function<bool(int &, QString &)> chooseIcon;

    EntryEditorServices services()
    {
        return EntryEditorServices{state, devices, lineDialog, *settings, prompt, help, icons, {},
            [this] { return online; }, [] { return true; }, [this] { return dir.path(); },
            [this](int &index, QString &name) { return chooseIcon && chooseIcon(index, name); },
            [this](const QString &device) { configuredLineDevices << device; },
            [this](const QString &device) { selectedLineDevices << device; },
            [this] { ++protocolOptionsOpened; },
            [this](const QString &file) {
                scriptsEdited << file;
                return scriptSaved;
            }};
    }

    // Opens the editor over fields and runs step in it.
    bool edit(SessionEditorFields &fields, std::function<void(TPhoneNum *)> step)
    {
        whenModal<TPhoneNum>(std::move(step));
        QtEntryEditors editors(nullptr, services());
        return editors.editSession(fields);
    }

    QString entryField(PhoneField field) const { return state.currentEntry().get(field); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        log = std::make_unique<TLog>(dir.filePath(QStringLiteral("Log.txt")));
        settings = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        TRecordStore portNames(dir.filePath(QStringLiteral("ComName.Dat")), PortNameRecord::fields(),
            PortNameRecord::keyField());
        portNames.add(PortNameRecord::make(2, QStringLiteral("Desk modem")));
        devices.Getdevices(*log, {QStringLiteral("Office Line")}, portNames, false);
        QDir(dir.path()).mkdir(QStringLiteral("icons"));
        for (const char *name : {"a.png", "b.png"}) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(dir.filePath(QStringLiteral("icons/") + QLatin1String(name))));
        }
        QVERIFY(icons.LoadIcons(dir.filePath(QStringLiteral("icons"))));
    }

    void init()
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Device, QStringLiteral("Desk modem"));
        entry.set(PhoneField::Port, QStringLiteral("2"));
        state.setCurrentEntry(entry, QString());
        prompt = RecordingPrompt();
        help.shown.clear();
        online = false;
        selectedLineDevices.clear();
        configuredLineDevices.clear();
        scriptsEdited.clear();
        scriptSaved.reset();
        protocolOptionsOpened = 0;
        lineDialog.shown.reset();
        lineDialog.answer = nullptr;
        chooseIcon = nullptr;
    }

    void fieldsRoundTrip()
    {
        // What goes in comes back on OK, and the entry's device is shown.
        SessionEditorFields fields = telnetFields();
        QString device;
        QVERIFY(edit(fields, [&](TPhoneNum *editor) {
            device = control<QComboBox>(editor, "cmbDevice")->currentText();
            QCOMPARE(control<QPushButton>(editor, "btnProtocolOptions")->toolTip(),
                QStringLiteral("Click here to customize file transfer protocol options for this entry"));
            press(editor, "help");
            press(editor, "ok");
        }));
        QCOMPARE(fields, telnetFields());
        QVERIFY(device.startsWith(QStringLiteral("Desk modem - ")));
        QCOMPARE(help.shown, QList<int>{TPhoneNum::helpContext});
        QCOMPARE(selectedLineDevices, QStringList{QString()});

        // Cancel answers false and leaves the fields.
        QVERIFY(!edit(fields, [](TPhoneNum *editor) {
            retype(editor, "edName", QStringLiteral("Other"));
            press(editor, "cancel");
        }));
        QCOMPARE(fields, telnetFields());

        // Changes come back, texts no longer than their fields.
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            control<QRadioButton>(editor, "rbClient")->click();
            control<QRadioButton>(editor, "rbSerial")->click();
            retype(editor, "edName", QString(25, QLatin1Char('n')));
            retype(editor, "edPhone", QStringLiteral("9,555 0199"));
            control<QComboBox>(editor, "cmbProtocol")->setCurrentIndex(0);
            control<QSpinBox>(editor, "spnRetries")->setValue(3);
            press(editor, "ok");
        }));
        SessionEditorFields expected = telnetFields();
        expected.name = QString(20, QLatin1Char('n'));
        expected.phone = QStringLiteral("9,555 0199");
        expected.tcp = false;
        expected.server = false;
        expected.protocol = 0;
        expected.retries = 3;
        QCOMPARE(fields, expected);
    }

    void emptyNameKeepsEditorOpen()
    {
        SessionEditorFields fields;
        bool stayedOpen = false;
        QVERIFY(edit(fields, [&](TPhoneNum *editor) {
            press(editor, "ok");
            stayedOpen = editor->isVisible();
            QTest::keyClicks(control<QLineEdit>(editor, "edName"), QStringLiteral("Mill"));
            press(editor, "ok");
        }));
        QVERIFY(stayedOpen);
        QCOMPARE(prompt.texts(), QStringList{QStringLiteral("You must assign a name to the session")});
        QCOMPARE(fields.name, QStringLiteral("Mill"));
    }

    void openedWhileOnline()
    {
        online = true;
        SessionEditorFields fields = telnetFields();
        fields.tcp = false;
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            QVERIFY(!enabled(editor, "cmbDevice"));
            QVERIFY(!enabled(editor, "btnConfigure"));
            for (const char *name : {"edName", "edPhone", "edScript", "chkAnswer", "btnProtocolOptions"})
                QVERIFY2(enabled(editor, name), name);
            retype(editor, "edPhone", QStringLiteral("777"));
            press(editor, "ok");
        }));
        QCOMPARE(prompt.texts(), QStringList{onlineText});
        QCOMPARE(fields.phone, QStringLiteral("777"));
        // The connected line keeps its device.
        QVERIFY(selectedLineDevices.isEmpty());
        QCOMPARE(entryField(PhoneField::Port), QStringLiteral("2"));
    }

    void deviceChoice_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("lineDevice");
        QTest::newRow("line device") << 0 << "Office Line"
                                     << "0"
                                     << "Office Line";
        QTest::newRow("COM3") << 3 << "Direct to COM3"
                              << "3"
                              << "";
        QTest::newRow("COM96") << 96 << "Direct to COM96"
                               << "96"
                               << "";
    }
    void deviceChoice()
    {
        QFETCH(int, number);
        SessionEditorFields fields = telnetFields();
        fields.tcp = false;
        QVERIFY(edit(fields, [&](TPhoneNum *editor) {
            selectedLineDevices.clear();
            chooseDevice(editor, number);
            press(editor, "ok");
        }));
        QTEST(entryField(PhoneField::Device), "device");
        QTEST(entryField(PhoneField::Port), "port");
        QTEST(selectedLineDevices.value(0), "lineDevice");
    }

    void unknownDeviceTakesFirst()
    {
        PhonebookEntry entry = state.currentEntry();
        entry.set(PhoneField::Device, QStringLiteral("Gone modem"));
        state.setCurrentEntry(entry);
        SessionEditorFields fields = telnetFields();
        QVERIFY(!edit(fields, [](TPhoneNum *editor) { press(editor, "cancel"); }));
        QCOMPARE(entryField(PhoneField::Device), QStringLiteral("Office Line"));
        QCOMPARE(entryField(PhoneField::Port), QStringLiteral("0"));
    }

    void comportParameters_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("dialCommand");
        QTest::addColumn<int>("shownBaud");
        QTest::addColumn<QString>("storedDial");
        QTest::newRow("dial command cleared") << "4"
                                              << "" << 4 << "ATDT";
        QTest::newRow("dial command kept") << "9"
                                           << "ATDP" << 9 << "ATDP";
        QTest::newRow("baud without digit") << "x"
                                            << "ATDT" << 7 << "ATDT";
    }
    void comportParameters()
    {
        QFETCH(QString, baud);
        QFETCH(QString, dialCommand);
        PhonebookEntry entry = state.currentEntry();
        entry.set(PhoneField::baud, baud);
        state.setCurrentEntry(entry);
        lineDialog.answer = [&](ComportParameters &parameters) {
            parameters.dialCommand = dialCommand;
            parameters.parity = 2;
            parameters.dtrDsr = true;
            parameters.rtsCts = false;
            parameters.init = QString(70, QLatin1Char('i'));
        };
        SessionEditorFields fields = telnetFields();
        fields.tcp = false;
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            press(editor, "btnConfigure");
            press(editor, "ok");
        }));
        QVERIFY(lineDialog.shown);
        QTEST(lineDialog.shown->baudIndex, "shownBaud");
        QCOMPARE(lineDialog.shown->init, QStringLiteral("ATZ"));
        QTEST(entryField(PhoneField::DialCmd), "storedDial");
        QCOMPARE(entryField(PhoneField::Parity), QStringLiteral("2"));
        QCOMPARE(entryField(PhoneField::DTRDSR), QStringLiteral("1"));
        QCOMPARE(entryField(PhoneField::RTSCTS), QStringLiteral("0"));
        QCOMPARE(entryField(PhoneField::Init), QString(60, QLatin1Char('i')));
    }

    void configureLineDeviceOpensItsOwnDialog()
    {
        SessionEditorFields fields = telnetFields();
        fields.tcp = false;
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            chooseDevice(editor, 0);
            press(editor, "btnConfigure");
            press(editor, "btnProtocolOptions");
            press(editor, "ok");
        }));
        QCOMPARE(configuredLineDevices, QStringList{QStringLiteral("Office Line")});
        QVERIFY(!lineDialog.shown);
        QCOMPARE(protocolOptionsOpened, 1);
    }

    void serialOrTcpEnabling()
    {
        const QStringList serialOnly{"edPhone", "lblLast", "cmbDevice", "chkAnswer", "btnConfigure"};
        const QStringList tcpOnly{"edAddress", "edPort", "rbClient", "rbServer"};
        SessionEditorFields fields = telnetFields();
        QVERIFY(edit(fields, [&](TPhoneNum *editor) {
            for (bool serial : {false, true, false}) {
                control<QRadioButton>(editor, serial ? "rbSerial" : "rbTcp")->click();
                QCOMPARE(control<QRadioButton>(editor, "rbTcp")->isChecked(), !serial);
                for (const QString &name : serialOnly)
                    QVERIFY2(enabled(editor, qPrintable(name)) == serial, qPrintable(name));
                for (const QString &name : tcpOnly)
                    QVERIFY2(enabled(editor, qPrintable(name)) != serial, qPrintable(name));
            }
            control<QRadioButton>(editor, "rbClient")->click();
            QVERIFY(!control<QRadioButton>(editor, "rbServer")->isChecked());
            press(editor, "ok");
        }));
        QVERIFY(fields.tcp);
        QVERIFY(!fields.server);
    }

    void scriptButtons_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("edited");
        QTest::addColumn<QString>("result");
        const QString existing = QStringLiteral("EXISTING");
        const QString again = QStringLiteral("You allready have a script. Make a new one?");
        QTest::newRow("new without script")
            << ""
            << "btnNew" << false << QStringList{} << QStringList{""} << "/saved.scr";
        QTest::newRow("new over script, OK")
            << existing << "btnNew" << true << QStringList{again} << QStringList{""} << "/saved.scr";
        QTest::newRow("new over script, Cancel")
            << existing << "btnNew" << false << QStringList{again} << QStringList{} << existing;
        QTest::newRow("edit existing")
            << existing << "btnEdit" << false << QStringList{} << QStringList{existing} << "/saved.scr";
        QTest::newRow("edit a name in the script folder")
            << "logon.scr"
            << "btnEdit" << false << QStringList{} << QStringList{existing} << "/saved.scr";
        QTest::newRow("edit missing")
            << "/no/such.scr"
            << "btnEdit" << false << QStringList{"Script does not exist"} << QStringList{} << "/no/such.scr";
        QTest::newRow("find") << existing << "btnFind" << false << QStringList{"Open"} << QStringList{}
                              << "/found.scr";
    }
    void scriptButtons()
    {
        QFETCH(QString, script);
        QFETCH(QString, button);
        QFETCH(bool, confirm);
        const QString existingFile = dir.filePath(QStringLiteral("logon.scr"));
        QFile(existingFile).open(QIODevice::WriteOnly);
        const auto real
            = [&](QString text) { return text.replace(QStringLiteral("EXISTING"), existingFile); };
        prompt.answerChoice(confirm);
        prompt.answerFiles({QStringLiteral("/found.scr")});
        scriptSaved = QStringLiteral("/saved.scr");
        SessionEditorFields fields = telnetFields();
        fields.script = real(script);
        QVERIFY(edit(fields, [&](TPhoneNum *editor) {
            press(editor, qPrintable(button));
            press(editor, "ok");
        }));
        QTEST(prompt.texts(), "messages");
        QFETCH(QStringList, edited);
        for (QString &file : edited)
            file = real(file);
        QCOMPARE(scriptsEdited, edited);
        QFETCH(QString, result);
        QCOMPARE(fields.script, real(result));
    }

    void editOnlyWithScript()
    {
        SessionEditorFields fields = telnetFields();
        fields.script.clear();
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            QVERIFY(!enabled(editor, "btnEdit"));
            QTest::keyClicks(control<QLineEdit>(editor, "edScript"), QStringLiteral("a"));
            QVERIFY(enabled(editor, "btnEdit"));
            press(editor, "ok");
        }));
    }

    void iconChange()
    {
        chooseIcon = [](int &index, QString &name) {
            index = 0;
            name = QStringLiteral("a.png");
            return true;
        };
        SessionEditorFields fields = telnetFields();
        QVERIFY(edit(fields, [](TPhoneNum *editor) {
            QTest::mouseDClick(control<QLabel>(editor, "imgIcon"), Qt::LeftButton);
            QCOMPARE(editor->focusWidget(), control<QLineEdit>(editor, "edName"));
            press(editor, "ok");
        }));
        QCOMPARE(fields.iconIndex, 0);
        QCOMPARE(fields.iconName, QStringLiteral("a.png"));
    }

    void enterMovesFocus_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("name") << false << "edName"
                              << "rbSerial";
        QTest::newRow("TCP/IP, serial entry") << false << "rbTcp"
                                              << "edPhone";
        QTest::newRow("TCP/IP, TCP entry") << true << "rbTcp"
                                           << "edAddress";
        QTest::newRow("phone") << false << "edPhone"
                               << "cmbDevice";
        QTest::newRow("device") << false << "cmbDevice"
                                << "chkAnswer";
        QTest::newRow("answer") << false << "chkAnswer"
                                << "edScript";
        QTest::newRow("port") << true << "edPort"
                              << "rbClient";
        QTest::newRow("client") << true << "rbClient"
                                << "rbServer";
        QTest::newRow("script stays") << false << "edScript"
                                      << "edScript";
    }
    void enterMovesFocus()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, from);
        SessionEditorFields fields = telnetFields();
        fields.tcp = tcp;
        QString focused;
        bool stillOpen = false;
        QVERIFY(!edit(fields, [&](TPhoneNum *editor) {
            editor->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(editor));
            QWidget *start = control<QWidget>(editor, qPrintable(from));
            start->setFocus();
            QTest::keyClick(start, Qt::Key_Return);
            focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            // An edit reached with Enter has its text selected, so typing replaces it.
            if (auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget()); edit && edit != start)
                QCOMPARE(edit->selectedText(), edit->text());
            stillOpen = editor->isVisible();
            press(editor, "cancel");
        }));
        QTEST(focused, "to");
        QVERIFY(stillOpen);
    }

    void placementKept()
    {
        SessionEditorFields fields = telnetFields();
        QVERIFY(!edit(fields, [](TPhoneNum *editor) {
            editor->resize(900, 700);
            press(editor, "cancel");
        }));
        QCOMPARE(settings->ReadSettingInteger(QString(), QStringLiteral("PhoneNumw"), 0), 900);
        QSize shown;
        QVERIFY(!edit(fields, [&](TPhoneNum *editor) {
            shown = editor->size();
            press(editor, "cancel");
        }));
        QCOMPARE(shown, QSize(900, 700));
    }

    void ftpRoundTrip()
    {
        FtpEditorFields fields{QStringLiteral("Mirror"), QStringLiteral("ftp.example.org"),
            QStringLiteral("21"), QStringLiteral("anonymous"), QStringLiteral("guest@"), false, 1,
            QStringLiteral("b.png")};
        const FtpEditorFields before = fields;
        QtEntryEditors editors(nullptr, services());
        chooseIcon = [](int &index, QString &name) {
            index = 0;
            name = QStringLiteral("a.png");
            return true;
        };
        whenModal<QDialog>([](QDialog *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("New FTP Connection"));
            QCOMPARE(control<QLineEdit>(dialog, "edPassword")->echoMode(), QLineEdit::Password);
            QVERIFY(!control<QCheckBox>(dialog, "chkPassive")->isVisible());
            press(dialog, "ok");
        });
        QVERIFY(editors.editFtp(fields));
        QCOMPARE(fields, before);

        whenModal<QDialog>([](QDialog *dialog) {
            retype(dialog, "edHost", QString(40, QLatin1Char('h')));
            auto *icon = control<QListWidget>(dialog, "lvIcon");
            // Enter opens the picker and leaves the dialog open.
            QTest::keyClick(icon, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            press(dialog, "ok");
        });
        QVERIFY(editors.editFtp(fields));
        QCOMPARE(fields.host, QString(30, QLatin1Char('h')));
        QCOMPARE(fields.iconIndex, 0);
        QCOMPARE(fields.iconName, QStringLiteral("a.png"));

        whenModal<QDialog>([](QDialog *dialog) {
            retype(dialog, "edLogin", QStringLiteral("other"));
            press(dialog, "cancel");
        });
        QVERIFY(!editors.editFtp(fields));
        QCOMPARE(fields.login, QStringLiteral("anonymous"));
    }
};

QTEST_MAIN(EntryEditorTest)
#include "entry_editor.moc"
