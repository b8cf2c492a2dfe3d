#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/line/LineSpec.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <vector>

class Comport;
class HostLookup;
class LoggingOptions;
class MainView;
class StatusLights;
class SessionState;
class TLog;
class UserPrompt;
struct ProtocolOptions;

// What the connect controller works with, all owned by the application.
struct SessionParts {
    Comport &port;
    SessionState &state;
    MainView &view;
    StatusLights &lights;
    TLog &log;
    HostLookup &lookup;
    UserPrompt &prompt;
    // The transfer options whose abort-on-carrier-loss a TCP or direct
    // connection switches off while it lasts.
    ProtocolOptions &protocol;
    // The port log and trace, started with a connection and written out
    // when it ends.
    LoggingOptions &logging;
};

// Brings direct serial and TCP connections up and takes them down, and
// answers the line's connect, accept, disconnect, error and carrier events.
// The terminal's data flows through the port's data chain at the window
// stage.
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
    // Resolves host through the look-up window: the address, "0.0.0.0" when
    // it cannot be resolved, nothing when the user cancelled.
    std::optional<QString> Lookup(const QString &host);
    // The error box for a host that cannot be reached.
    void Showcant();

    // The startup script of the current connection (started by the script
    // engine once it exists).
    QString startupScript() const { return startupScript_; }

    // How long after a socket error the port is closed.
    static constexpr int closePortDelayMs = 1000;
    // Modem-status mask of the carrier detect line.
    static constexpr int dcdMask = 128;

signals:
    // Bytes the line delivered, for the terminal.
    void received(const QByteArray &bytes);
    // A session from an entry asks for these emulations (a keyboard
    // emulation name and a terminal emulation number, 1 to 5).
    void emulationsChosen(const QString &keyEmulation, int terminalEmulation);
    // The connection came up or went down: the event sounds.
    void connectSound();
    void disconnectSound();
    // The line dropped while the exit-on-disconnect option may apply.
    void connectionLost();

private:
    void dialTcpClient();
    void dialTcpServer();
    void Postopen();
    void RemoveTriggers();
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
    std::vector<HandlerRegistration> handlers_;
    int carrierTrigger_ = 0;
    bool savedAbortNoCarrier_ = false;
    bool abortNoCarrierSaved_ = false;
    QString startupScript_;
};
