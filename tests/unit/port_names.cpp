#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/ComPortLabels.h"
#include "comms/line/Comport.h"
#include "sessions/DeviceList.h"
#include "sessions/LineSignals.h"
#include "sessions/PhonebookEntry.h"
#include "sessions/PortNameRecord.h"
#include "sessions/PortNaming.h"
#include "sessions/TelnetFirewall.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"
#include "support/LinePeers.h"
#include "support/RecordingView.h"

namespace {

// Renames one port, as the user does in "Comport Renameing".
class ScriptedRename : public PortRenameDialog {
public:
    int shown = 0;
    int port = 0;
    QString name;
    void renamePorts(PortNaming &naming) override
    {
        ++shown;
        if (port)
            naming.rename(port, name);
    }
};

PhonebookEntry entryOn(const QString &name, const QString &port, const QString &device)
{
    PhonebookEntry entry = PhonebookEntry::newEntry();
    entry.set(PhoneField::Name, name);
    entry.set(PhoneField::Port, port);
    entry.set(PhoneField::Device, device);
    return entry;
}

} // namespace

// The device list, the port names with their effect on the phonebook, the
// line-signal entries and the telnet firewall settings.
class PortNamesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString folder;
    std::unique_ptr<TLog> log;
    std::unique_ptr<TRecordStore> phonebook;
    DeviceList devices;
    Comport port;
    RecordingPrompt prompt;
    bool allowed = true;
    QStringList lineDevices;
    std::unique_ptr<PortNaming> naming;

    QString logText() const
    {
        QFile file(folder + QStringLiteral("log.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Phone.Dat as another reader sees it on disk.
    QString deviceOnDisk(const QString &name) const
    {
        TRecordStore fresh(
            folder + QStringLiteral("Phone.Dat"), PhonebookEntry::fields(), PhonebookEntry::keyField());
        return PhonebookEntry(fresh.read(name)).get(PhoneField::Device);
    }

private slots:
    void init()
    {
        folder = dir.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction()) + "/";
        QVERIFY(QDir().mkpath(folder));
        log = std::make_unique<TLog>(folder + QStringLiteral("log.txt"));
        phonebook = std::make_unique<TRecordStore>(
            folder + QStringLiteral("Phone.Dat"), PhonebookEntry::fields(), PhonebookEntry::keyField());
        devices.clear();
        port.close();
        prompt.clear();
        allowed = true;
        lineDevices.clear();
        naming = std::make_unique<PortNaming>(PortNaming::Parts{*phonebook, devices, port, *log, prompt,
                                                  [this] { return allowed; }, [this] { return lineDevices; }},
            folder);
    }

    void deviceList_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("firstNames");
        QTest::addColumn<QString>("counts");
        QTest::newRow("no line devices") << QStringList() << QStringList{"Direct to COM1"} << "count = 0";
        QTest::newRow("line devices first")
            << QStringList{"USR Sportster", "Direct to COM2", "Hayes"}
            << QStringList{"USR Sportster", "Hayes", "Direct to COM1"} << "count = 3";
    }
    void deviceList()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, firstNames);
        QFETCH(QString, counts);
        lineDevices = lines;
        naming->Getdevices();
        const QList<DeviceEntry> &entries = devices.entries();
        const qsizetype telephony = firstNames.size() - 1;
        QCOMPARE(entries.size(), telephony + 96);
        for (qsizetype i = 0; i < firstNames.size(); ++i)
            QCOMPARE(entries[i].name, firstNames[i]);
        for (qsizetype i = 0; i < entries.size(); ++i)
            QCOMPARE(entries[i].number, i < telephony ? 0 : int(i - telephony + 1));
        QCOMPARE(entries.last(), (DeviceEntry{"Direct to COM96", 96}));
        QCOMPARE(devices.comPorts().size(), 96);
        QCOMPARE(devices.comPorts().first().number, 1);
        QCOMPARE(devices.displayName(96), QStringLiteral("Direct to COM96"));
        QVERIFY(devices.displayName(97).isEmpty());
        QVERIFY(devices.displayName(0).isEmpty());
        const QString text = logText();
        QVERIFY(text.contains("Start enumerating devices"));
        QVERIFY(text.contains("Device enumeration " + counts));
        QVERIFY(text.contains(QStringLiteral("Objects Added. Device count = %1").arg(telephony)));
        QVERIFY(text.contains("DeviceList complete."));

        // Built once: a second call, or one while the port is open, keeps it.
        lineDevices = QStringList{"Other"};
        naming->Getdevices();
        QCOMPARE(devices.entries(), entries);
    }

    void listNotBuiltWhileOpen()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        port.setDevicePath(pty.near());
        port.open();
        naming->Getdevices();
        QVERIFY(devices.isEmpty());
    }

    // Renaming COM3 renames the device of every entry on port 3 in Phone.Dat;
    // clearing the name gives them "Direct to COM3" again.
    void renameUpdatesPhonebook()
    {
        phonebook->add(entryOn("Lab", "3", "Direct to COM3"));
        phonebook->add(entryOn("Lab two", "3", "Old name"));
        phonebook->add(entryOn("Other", "4", "Direct to COM4"));
        phonebook->add(entryOn("Modem", "0", "USR Sportster"));
        ScriptedRename dialog;
        dialog.port = 3;
        dialog.name = QStringLiteral("  A name of 25 characters ");
        naming->Comportnaming1Click(dialog);
        QCOMPARE(dialog.shown, 1);
        const QString cut = QStringLiteral("A name of 25 charact");
        QCOMPARE(deviceOnDisk("Lab"), cut);
        QCOMPARE(deviceOnDisk("Lab two"), cut);
        QCOMPARE(deviceOnDisk("Other"), QStringLiteral("Direct to COM4"));
        QCOMPARE(deviceOnDisk("Modem"), QStringLiteral("USR Sportster"));
        QCOMPARE(naming->storedName(3), cut);
        QCOMPARE(naming->names().read(PortNameRecord::keyFor(3)).value(1), cut);
        // The list is built afresh with the new name.
        QCOMPARE(devices.displayName(3), cut);

        naming->rename(3, QStringLiteral("Router"));
        QCOMPARE(naming->names().count(), 1);
        QCOMPARE(deviceOnDisk("Lab"), QStringLiteral("Router"));

        dialog.name = QString();
        naming->Comportnaming1Click(dialog);
        QVERIFY(!naming->names().exists(PortNameRecord::keyFor(3)));
        QCOMPARE(deviceOnDisk("Lab"), QStringLiteral("Direct to COM3"));
        QCOMPARE(deviceOnDisk("Lab two"), QStringLiteral("Direct to COM3"));
        QCOMPARE(devices.displayName(3), QStringLiteral("Direct to COM3"));
        QVERIFY(prompt.texts().isEmpty());
    }

    void renameRefused()
    {
        ScriptedRename dialog;
        allowed = false;
        naming->Comportnaming1Click(dialog);
        QCOMPARE(dialog.shown, 0);
        QVERIFY(prompt.texts().isEmpty());

        allowed = true;
        PtyPair pty;
        QVERIFY(pty.start());
        port.setDevicePath(pty.near());
        port.open();
        naming->Comportnaming1Click(dialog);
        QCOMPARE(dialog.shown, 0);
        QCOMPARE(prompt.texts(), QStringList{"Disconnect before setting comport names."});
    }

    // A port name table that cannot be written is reported, not thrown.
    void unwritableNames()
    {
        QFile::remove(folder + QStringLiteral("ComName.Dat"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("ComName.Dat")));
        naming->rename(5, QStringLiteral("Printer"));
        QCOMPARE(prompt.texts().size(), 1);
        naming->Getdevices();
        QCOMPARE(devices.displayName(5), QStringLiteral("Direct to COM5"));
        QCOMPARE(devices.comPorts().size(), 96);
    }

    // A pseudo-terminal has no DTR or RTS: each entry says so.
    void lineSignalsOnPty()
    {
        RecordingView view;
        LineSignals lineSignals(port, view, *log);
        lineSignals.DropDTR1Click();
        QCOMPARE(view.notices.size(), 1);
        QVERIFY(view.notices[0].startsWith("Cannot drop DTR: "));

        PtyPair pty;
        QVERIFY(pty.start());
        port.setDevicePath(pty.near());
        port.open();
        view.notices.clear();
        lineSignals.RaiseDTR1Click();
        lineSignals.RaiseRTS1Click();
        lineSignals.DropRTS1Click();
        QCOMPARE(view.notices.size(), 3);
        QVERIFY(view.notices[0].startsWith("Cannot raise DTR: "));
        QVERIFY(view.notices[1].startsWith("Cannot raise RTS: "));
        QVERIFY(view.notices[2].startsWith("Cannot drop RTS: "));
        QVERIFY(view.notices[2].size() > QStringLiteral("Cannot drop RTS: ").size());
        QVERIFY(logText().contains(view.notices[2]));
    }

    // A device setting naming a pseudo-terminal makes that port present and
    // listed first; a setting naming nothing does not.
    void portLabels()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        const QHash<int, QString> settings{{7, pty.near()}, {9, folder + QStringLiteral("no-such-device")}};
        const ComPortLabels labels([&settings](int number) { return settings.value(number); });
        QVERIFY(labels.isPresent(7));
        QVERIFY(!labels.isPresent(9));
        QVERIFY(!labels.isPresent(0));
        QCOMPARE(labels.label(7, QStringLiteral("Lab")), QStringLiteral("Lab - ") + pty.near());
        QCOMPARE(labels.label(33, QStringLiteral("Direct to COM33")).left(32),
            QStringLiteral("Direct to COM33 - /dev/ttyUSB0"));
        const QList<int> ordered = labels.presentFirst(QList<int>{5, 9, 7, 8}, [](int n) { return n; });
        QCOMPARE(ordered.first(), 7);
        QCOMPARE(ordered.mid(1).contains(9), true);
    }

    void firewallSettings()
    {
        SettingsStore settings(SettingsFolders::fromEnvironment(), *log, {});
        const TelnetFirewall defaults = TelnetFirewall::load(settings);
        QCOMPARE(defaults.use, false);
        QCOMPARE(defaults.host, QString());
        QCOMPARE(defaults.port, QStringLiteral("23"));
        QCOMPARE(defaults.prompt, QStringLiteral("Wingate>"));
        const TelnetFirewall changed{
            true, QStringLiteral("gate.example"), QStringLiteral("2323"), QStringLiteral("gate>")};
        changed.save(settings);
        const TelnetFirewall back = TelnetFirewall::load(settings);
        QCOMPARE(back.use, true);
        QCOMPARE(back.host, changed.host);
        QCOMPARE(back.port, changed.port);
        QCOMPARE(back.prompt, changed.prompt);
        QCOMPARE(settings.read(Setting::TelnetUseFirewall), true);
    }
};

QTEST_GUILESS_MAIN(PortNamesTest)
#include "port_names.moc"
