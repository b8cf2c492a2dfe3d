#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comms/line/Comport.h"
#include "sessions/DeviceList.h"
#include "sessions/PortNameRecord.h"
#include "sessions/PortNaming.h"
#include "sessions/TelnetFirewall.h"
#include "sessions/ui/PortRenameForm.h"
#include "sessions/ui/QtQuickConnectDialogs.h"
#include "sessions/ui/TelnetFirewallDialog.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"

namespace {

// Runs `step` on the modal dialog once it is shown; a step that fails
// leaves it open, so it is closed then.
void whenModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        step(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// Clicks a check box or radio button on its indicator, where a user does.
void tick(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The COM numbers of this machine's serial ports, and `extra`, ascending.
QList<int> presentOnMachine(int extra)
{
    QStringList locations;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        locations << info.systemLocation();
    QList<int> numbers;
    for (int number = 1; number <= 96; ++number) {
        if (number == extra || locations.contains(ComDevices::devicePath(number)))
            numbers << number;
    }
    return numbers;
}

QList<int> listedNumbers(QListWidget *list)
{
    QList<int> numbers;
    for (int row = 0; row < list->count(); ++row)
        numbers << list->item(row)->data(Qt::UserRole).toInt();
    return numbers;
}

} // namespace

// The port dialogs driven as a user does: "Select comport", "Comport
// parameters", "Telnet firewall properties" and "Comport Renameing".
class PortDialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PtyPair pty;

    ComDevices::Override ptyAsCom(int number)
    {
        return [this, number](int n) { return n == number ? pty.near() : QString(); };
    }

private slots:
    void initTestCase() { QVERIFY(pty.start()); }

    // Telephony devices are not offered; the port that exists comes first
    // and is preselected from the choice; the kind follows the radio
    // buttons even when the dialog is cancelled.
    void selectComport()
    {
        QList<DeviceEntry> ports{{"USR Sportster", 0}};
        for (int number = 1; number <= 96; ++number)
            ports << DeviceEntry{QStringLiteral("Direct to COM%1").arg(number), number};
        QtQuickConnectDialogs dialogs(nullptr, ptyAsCom(40));
        ComportChoice choice{3, QStringLiteral("10.0.0.1"), QStringLiteral("23"), 40};

        whenModal([this](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Select comport"));
            auto *list = child<QListWidget>(dialog, "lstComPorts");
            const QList<int> present = presentOnMachine(40);
            QList<int> expected = present;
            for (int number = 1; number <= 96; ++number) {
                if (!present.contains(number))
                    expected << number;
            }
            QCOMPARE(listedNumbers(list), expected);
            const int row = int(present.indexOf(40));
            QCOMPARE(list->item(row)->text(), QStringLiteral("Direct to COM40 - ") + pty.near());
            QCOMPARE(list->currentRow(), row);
            QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, "txtIP"));
            tick(child<QRadioButton>(dialog, "rbSerial"));
            press(dialog, "cancel");
        });
        QVERIFY(!dialogs.selectComport(choice, ports));
        QCOMPARE(choice.kind, 2);
        QCOMPARE(choice.comNumber, 40);

        choice.comNumber = 99; // not listed: the first port is preselected
        whenModal([](QWidget *dialog) {
            auto *list = child<QListWidget>(dialog, "lstComPorts");
            QCOMPARE(list->currentRow(), 0);
            QCOMPARE(dialog->focusWidget(), list);
            list->setCurrentRow(listedNumbers(list).indexOf(5));
            retype(child<QLineEdit>(dialog, "txtIP"), QStringLiteral("bbs.example"));
            retype(child<QLineEdit>(dialog, "txtPort"), QStringLiteral("2323"));
            tick(child<QRadioButton>(dialog, "rbTcpip"));
            press(dialog, "ok");
        });
        QVERIFY(dialogs.selectComport(choice, ports));
        QCOMPARE(choice.kind, 3);
        QCOMPARE(choice.comNumber, 5);
        QCOMPARE(choice.address, QStringLiteral("bbs.example"));
        QCOMPARE(choice.port, QStringLiteral("2323"));

        whenModal([](QWidget *dialog) { press(dialog, "ok"); });
        QVERIFY(dialogs.selectComport(choice, {{"USR Sportster", 0}}));
        QCOMPARE(choice.comNumber, 0);
    }

    void comportParameters()
    {
        QtQuickConnectDialogs dialogs(nullptr, {});
        ComportParameters parameters;
        parameters.init = QStringLiteral("ATZ");
        parameters.dialCommand = QStringLiteral("ATDT");
        const ComportParameters before = parameters;
        whenModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Comport parameters"));
            auto *baud = child<QComboBox>(dialog, "cmbBaud");
            QCOMPARE(baud->count(), 10);
            QCOMPARE(baud->currentText(), QStringLiteral("38400"));
            QCOMPARE(child<QComboBox>(dialog, "cmbParity")->itemText(4), QStringLiteral("Space"));
            QCOMPARE(child<QComboBox>(dialog, "cmbDataBits")->itemText(3), QStringLiteral("5"));
            QVERIFY(child<QCheckBox>(dialog, "chkRtsCts")->isChecked());
            baud->setCurrentIndex(9);
            press(dialog, "cancel");
        });
        QVERIFY(!dialogs.comportParameters(parameters));
        QCOMPARE(parameters, before);

        whenModal([](QWidget *dialog) {
            child<QComboBox>(dialog, "cmbBaud")->setCurrentIndex(9);
            child<QComboBox>(dialog, "cmbParity")->setCurrentIndex(2);
            child<QComboBox>(dialog, "cmbDataBits")->setCurrentIndex(1);
            child<QComboBox>(dialog, "cmbStopBits")->setCurrentIndex(1);
            tick(child<QCheckBox>(dialog, "chkDtrDsr"));
            tick(child<QCheckBox>(dialog, "chkRtsCts"));
            tick(child<QCheckBox>(dialog, "chkSwReceive"));
            retype(child<QLineEdit>(dialog, "txtXon"), QStringLiteral("1"));
            child<QLineEdit>(dialog, "txtInit")->clear();
            retype(child<QLineEdit>(dialog, "txtDialCmd"), QStringLiteral("ATDP"));
            press(dialog, "ok");
        });
        QVERIFY(dialogs.comportParameters(parameters));
        ComportParameters expected = before;
        expected.baudIndex = 9;
        expected.parity = 2;
        expected.dataBitsIndex = 1;
        expected.stopBitsIndex = 1;
        expected.dtrDsr = true;
        expected.rtsCts = false;
        expected.swReceive = true;
        expected.xon = QStringLiteral("1");
        expected.init = QString();
        expected.dialCommand = QStringLiteral("ATDP");
        QCOMPARE(parameters, expected);
    }

    void firewallDialog()
    {
        TelnetFirewall firewall;
        TelnetFirewallDialog dialog;
        whenModal([](QWidget *shown) {
            QCOMPARE(shown->windowTitle(), QStringLiteral("Telnet firewall properties"));
            QCOMPARE(child<QLineEdit>(shown, "txtHost")->text(), QStringLiteral("127.0.0.1"));
            QCOMPARE(child<QLineEdit>(shown, "txtPrompt")->text(), QStringLiteral("Wingate>"));
            tick(child<QCheckBox>(shown, "chkUseFirewall"));
            retype(child<QLineEdit>(shown, "txtHost"), QStringLiteral("gate.example"));
            press(shown, "cancel");
        });
        QVERIFY(!dialog.edit(firewall));
        QCOMPARE(firewall.use, false);
        QCOMPARE(firewall.host, QString());

        whenModal([](QWidget *shown) {
            QVERIFY(!child<QCheckBox>(shown, "chkUseFirewall")->isChecked());
            tick(child<QCheckBox>(shown, "chkUseFirewall"));
            retype(child<QLineEdit>(shown, "txtPort"), QStringLiteral("8023"));
            retype(child<QLineEdit>(shown, "txtPrompt"), QStringLiteral("gate>"));
            press(shown, "ok");
        });
        QVERIFY(dialog.edit(firewall));
        QCOMPARE(firewall.use, true);
        QCOMPARE(firewall.host, QStringLiteral("127.0.0.1"));
        QCOMPARE(firewall.port, QStringLiteral("8023"));
        QCOMPARE(firewall.prompt, QStringLiteral("gate>"));
    }

    // An edit is saved when another port is selected and when the dialog
    // closes, even by Escape; a port not edited keeps its name.
    void renameForm()
    {
        TLog log(dir.filePath(QStringLiteral("log.txt")));
        TRecordStore phonebook(
            dir.filePath(QStringLiteral("Phone.Dat")), PhonebookEntry::fields(), PhonebookEntry::keyField());
        DeviceList devices;
        Comport port;
        RecordingPrompt prompt;
        PortNaming naming(
            {phonebook, devices, port, log, prompt, [] { return true; }, [] { return QStringList(); }},
            dir.path() + QStringLiteral("/"));
        naming.rename(2, QStringLiteral("Plotter"));
        QtPortRenameDialog dialog(nullptr, ptyAsCom(3));
        whenModal([this](QWidget *shown) {
            QCOMPARE(shown->windowTitle(), QStringLiteral("Comport Renameing"));
            auto *list = child<QListWidget>(shown, "lstComports");
            auto *name = child<QLineEdit>(shown, "txtNewName");
            QCOMPARE(list->count(), 96);
            QCOMPARE(list->currentRow(), 0);
            QCOMPARE(list->item(2)->text(), QStringLiteral("3 - ") + pty.near());
            QCOMPARE(name->text(), QString());
            list->setCurrentRow(1);
            QCOMPARE(name->text(), QStringLiteral("Plotter"));
            list->setCurrentRow(2);
            QTest::keyClicks(name, QStringLiteral("Lab"));
            list->setCurrentRow(3);
            QTest::keyClicks(name, QStringLiteral("Scope"));
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        naming.Comportnaming1Click(dialog);
        QCOMPARE(naming.storedName(2), QStringLiteral("Plotter"));
        QCOMPARE(naming.storedName(3), QStringLiteral("Lab"));
        QCOMPARE(naming.storedName(4), QStringLiteral("Scope"));
        QCOMPARE(naming.names().count(), 3);
        QCOMPARE(devices.displayName(4), QStringLiteral("Scope"));
    }

    // "T&elnet" in the window edits the firewall settings kept for the
    // connections and saved at exit; the pop-up's "Drop DTR" says when the
    // line cannot.
    void windowEntries()
    {
        RecordingPrompt prompt;
        {
            Application application;
            application.setPrompt(&prompt);
            application.start({});
            QTRY_VERIFY(application.window().isVisible());
            whenModal([](QWidget *shown) {
                tick(child<QCheckBox>(shown, "chkUseFirewall"));
                retype(child<QLineEdit>(shown, "txtHost"), QStringLiteral("gate.example"));
                press(shown, "ok");
            });
            application.window().entry(QStringLiteral("Telnet1"))->trigger();
            QCOMPARE(application.telnetFirewall().host, QStringLiteral("gate.example"));
            application.window().entry(QStringLiteral("DropDTR1"))->trigger();
            QVERIFY(pageText(application.window().terminal()).contains("Cannot drop DTR: "));
            application.closeWithoutAsking();
        }
        Application again;
        again.setPrompt(&prompt);
        again.start({});
        QCOMPARE(again.telnetFirewall().use, true);
        QCOMPARE(again.telnetFirewall().host, QStringLiteral("gate.example"));
        again.closeWithoutAsking();
    }
};

QTEST_MAIN(PortDialogsTest)
#include "port_dialogs.moc"
