#pragma once

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "comms/transfer/ProtocolEngine.h"
#include "sessions/ConnectController.h"
#include "sessions/DeviceList.h"
#include "sessions/HostLookup.h"
#include "sessions/LoggingOptions.h"
#include "sessions/PortNameRecord.h"
#include "sessions/QuickConnectDialogs.h"
#include "sessions/SessionState.h"
#include "sessions/TelnetFirewall.h"
#include "sessions/store/RecordStore.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingView.h"

#include <QFile>
#include <QTemporaryDir>

#include <deque>

// Host look-ups answered from a script; nothing scripted is a cancel.
class ScriptedLookup : public HostLookup {
public:
    QStringList asked;
    QList<std::optional<QString>> answers;
    std::optional<QString> Lookup(const QString &host) override
    {
        asked << host;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
};

// The quick-connect dialogs answered from a script: each answer changes
// what was shown, or cancels (nothing scripted cancels). What the dialogs
// were shown with is kept.
class ScriptedQuickDialogs : public QuickConnectDialogs {
public:
    std::deque<std::function<bool(ComportChoice &)>> choices;
    std::deque<std::function<bool(ComportParameters &)>> parameters;
    QList<ComportChoice> shownChoices;
    QList<QList<DeviceEntry>> shownPorts;
    QList<ComportParameters> shownParameters;

    bool selectComport(ComportChoice &choice, const QList<DeviceEntry> &ports) override
    {
        shownChoices << choice;
        shownPorts << ports;
        if (choices.empty())
            return false;
        const auto answer = choices.front();
        choices.pop_front();
        return answer(choice);
    }
    bool comportParameters(ComportParameters &line) override
    {
        shownParameters << line;
        if (parameters.empty())
            return false;
        const auto answer = parameters.front();
        parameters.pop_front();
        return answer(line);
    }
};

// The connect controller without a window: a real port, modem, dialler and
// line devices (LineDevices.ini in dir), private settings and phonebook; the
// view, prompt, look-up and quick-connect dialogs recorded or scripted.
struct SessionRig {
    QTemporaryDir dir;
    TLog log;
    Comport port;
    SessionState state;
    RecordingView view;
    StatusLights lights{&port};
    ScriptedLookup lookup;
    RecordingPrompt prompt;
    ProtocolEngine engine;
    // Also points the log at tarnexlog.txt in dir.
    LoggingOptions logging{log, port, dir.path() + QLatin1Char('/')};
    SettingsStore settings{
        SettingsFolders{dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("system"))}, log,
        [](const QString &) {}};
    TRecordStore phonebook{
        dir.filePath(QStringLiteral("Phone.Dat")), PhonebookEntry::fields(), PhonebookEntry::keyField()};
    TRecordStore portNames{
        dir.filePath(QStringLiteral("ComName.Dat")), PortNameRecord::fields(), PortNameRecord::keyField()};
    DeviceList devices;
    Modem modem{port};
    Dialer dialer{modem};
    TapiLine tapi{port, modem, dir.path()};
    ScriptedQuickDialogs quick;
    TelnetFirewall firewall;
    ConnectController connect{
        SessionParts{port, state, view, lights, log, lookup, prompt, engine, logging, settings, phonebook,
            devices, [this] { devices.Getdevices(log, tapi.devices(), portNames, port.isOpen()); }, modem,
            dialer, tapi, quick, firewall}};

    QString logText() const
    {
        QFile file(dir.filePath(QStringLiteral("tarnexlog.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // A TCP entry made current (not stored).
    void useEntry(const QString &name, const QString &contype, const QString &wmode, const QString &wip,
        const QString &wport)
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, name);
        entry.set(PhoneField::Contype, contype);
        entry.set(PhoneField::Wmode, wmode);
        entry.set(PhoneField::Wip, wip);
        entry.set(PhoneField::WPort, wport);
        state.setCurrentEntry(entry, name);
    }
    // A modem entry on COM port (a number, "0" or "-1" for a line device)
    // stored in the phonebook.
    PhonebookEntry addModemEntry(const QString &name, const QString &port, const QString &phone)
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, name);
        entry.set(PhoneField::Contype, QStringLiteral("0"));
        entry.set(PhoneField::Port, port);
        entry.set(PhoneField::Phone, phone);
        phonebook.add(entry);
        return entry;
    }
};
