#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/line/LineSpec.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class Comport;
class DataPacket;
class Dialer;
class DeviceList;
class HostLookup;
class LoggingOptions;
class MainView;
class Modem;
class ProtocolEngine;
class QuickConnectDialogs;
class SettingsStore;
class StatusLights;
class SessionState;
class TapiLine;
class TLog;
class TRecordStore;
class UserPrompt;
struct TelnetFirewall;

// What the connect controller works with, all owned by the application.
struct SessionParts {
    Comport &port;
    SessionState &state;
    MainView &view;
    StatusLights &lights;
    TLog &log;
    HostLookup &lookup;
    UserPrompt &prompt;
    // The transfer engine: a transfer is cancelled when the connection
    // ends, and its abort-on-carrier-loss option is off while a TCP or
    // direct connection lasts.
    ProtocolEngine &engine;
    // The port log and trace, started with a connection and written out
    // when it ends.
    LoggingOptions &logging;
    SettingsStore &settings;
    // Phone.Dat: entries are read for the dial queue and written back when
    // a call comes up.
    TRecordStore &phonebook;
    DeviceList &devices;
    // Builds the device list when it is empty and the port is closed.
    std::function<void()> Getdevices;
    Modem &modem;
    Dialer &dialer;
    TapiLine &tapi;
    QuickConnectDialogs &quickDialogs;
    const TelnetFirewall &firewall;
    // Gives the transfer engine the current entry's protocol options.
    std::function<void()> ApplyEntryProtocolOptions = {};
    // A connection is up: the automatic Zmodem trigger (when switched on)
    // and B+ detection; and off again when it goes.
    std::function<void()> armTransferTriggers = {};
    std::function<void()> removeTransferTriggers = {};
    // Starts the script at path (a name alone is looked for in the script
    // folder), and stops the running script.
    std::function<void(const QString &path)> StartScr = {};
    std::function<void()> stopScript = {};
};

// Host names looked up this run and the addresses found, in order.
struct LookupHistory {
    QStringList hosts;
    QStringList addresses;
};

// Brings connections up and takes them down: modem entries dialled or
// answering (on a COM port or a line device), TCP clients and servers, and
// quick direct connections; runs the dial queue; and answers the line's,
// the modem's and the line device's events. The terminal's data flows
// through the port's data chain at the window stage.
class ConnectController : public QObject {
    Q_OBJECT
public:
    explicit ConnectController(SessionParts parts, QObject *parent = nullptr);

    // A serial port opened from the command line (a COM number or a device
    // path); false when it cannot be opened (the reason is in the log).
    bool openDirect(const LineSpec &line);
    // Connects the session state's current entry according to its kind.
    void DoDialer();
    // Connects the port as a TCP client to address and port (a number or a
    // service name).
    void DoAttempt(const QString &address, const QString &port);
    // Ends the connection.
    void Hangup1Click();
    // Quick connect to a serial port or a TCP host chosen in the dialogs.
    void DirectBtnClick();
    // Dials the named phonebook entries one after another (the phonebook's
    // "dial" with its selection in list order).
    void dialEntries(const QStringList &names);
    // The next entry of the dial queue after a failed dial.
    void DialNext();
    // Resolves host through the look-up window: the address, "0.0.0.0" when
    // it cannot be resolved, nothing when the user cancelled.
    std::optional<QString> Lookup(const QString &host);
    // The error box for a host that cannot be reached.
    void Showcant();

    // The startup script of the current connection.
    QString startupScript() const { return startupScript_; }
    // A script named on the command line, from the script folder.
    void runNamedScript(const QString &name) { startScript(name); }
    const LookupHistory &lookupHistory() const { return lookupHistory_; }

    // How long after a socket error the port is closed.
    static constexpr int closePortDelayMs = 1000;
    // How long after a dialled connection its startup script starts.
    static constexpr int scriptDelayMs = 50;
    // Modem-status mask of the carrier detect line.
    static constexpr int dcdMask = 128;
    // Delay of the quick-connect init string, in ticks.
    static constexpr qint64 initStringTicks = 18;
    static constexpr int answerRings = 2;

signals:
    // Bytes the line delivered, for the terminal.
    void received(const QByteArray &bytes);
    // A session from an entry asks for these emulations (a keyboard
    // emulation name and a terminal emulation number, 1 to 5).
    void emulationsChosen(const QString &keyEmulation, int terminalEmulation);
    // The connection came up or went down: the event sounds.
    void connectSound();
    void disconnectSound();
    // The line dropped while the exit-on-disconnect option may apply (the
    // window closes then, as with the Exit button).
    void connectionLost();
    // A dial of the queue failed: MsgDialNext is to be posted.
    void dialNextRequested();

private:
    void dialModem();
    void dialModemPort(bool answer);
    void dialFinished(bool connectedNow);
    void dialLine(bool answer);
    void SetComm();
    void SetLine();
    // True when an init string was sent.
    bool InitTheModem();
    void ShowAutoAnswer();
    void hangupModem();
    void dialQueueEntry(int index);
    bool quickSelect(int &kind);
    bool quickParameters();
    bool quickOpen(int kind);
    void initStringTimerFired(int handle);
    void armFirewall();
    void firewallPrompt();
    void modemConnected();
    void modemLineSpeed(qint64 bps);
    void modemIsConnected();
    void modemConnectFailed();
    void modemCommandProcessed(int data);
    void tapiPortOpened();
    void tapiConnected();
    void tapiFailed();
    void tapiPortClosed();
    void tapiCancelled();
    void writeEntryBack();
    void clearQueueActive();
    bool answerMode() const;
    void applyEntryProtocolOptions();
    void carrierLost();
    void modemCarrierLost();
    static QString title() { return QStringLiteral("Tarnex 7.0"); }
    void dialTcpClient();
    void dialTcpServer();
    void Postopen();
    void RemoveTriggers();
    void armTransferTriggers();
    void startScript(const QString &path);
    void stopScript();
    void SaveAbortNoCarrierState();
    void restoreAbortNoCarrier();
    void connected();
    void accepted();
    void disconnected();
    void socketError(int code);
    void carrierChanged(int handle);
    void closePortTimerFired();
    void stampLastConnect();
    // The serial line in the status bar.
    void DisplayCom();
    // Stops watching the line and puts every light out.
    void Shutofflights();

    SessionParts parts_;
    QTimer closePortTimer_;
    // Starts the startup script a moment after a dialled call comes up.
    QTimer scriptTimer_;
    std::vector<HandlerRegistration> handlers_;
    int carrierTrigger_ = 0;
    bool savedAbortNoCarrier_ = false;
    bool abortNoCarrierSaved_ = false;
    QString startupScript_;
    LookupHistory lookupHistory_;
    int initStringTimer_ = 0;
    // The dial waits for the modem's answer to the init string.
    bool dialAfterInit_ = false;
    QString initString_;
    DataPacket *firePacket_ = nullptr;
    QString firewallHost_;
    QString firewallPort_;
    bool tapiDisconnectSoundPlayed_ = false;
    // The redial attempts a queue of several entries set to 1, put back
    // when the queue ends.
    int savedDialerTries_ = 0;
    int savedTapiAttempts_ = 0;
};
