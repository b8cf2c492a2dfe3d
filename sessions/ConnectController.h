#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/line/LineSpec.h"

#include <QObject>
#include <QTimer>

#include <vector>

class Comport;
class LoggingOptions;
class MainView;
class StatusLights;
class SessionState;
class TLog;

// Brings direct serial and TCP connections up and takes them down, and
// answers the line's connect, accept, disconnect and error events. The
// terminal's data flows through the port's data chain at the window stage.
class ConnectController : public QObject {
    Q_OBJECT
public:
    ConnectController(Comport &port, SessionState &state, MainView &view, StatusLights &lights, TLog &log,
        LoggingOptions &logging, QObject *parent = nullptr);

    // A serial port opened from the command line (a COM number or a device
    // path); false when it cannot be opened (the reason is in the log).
    bool openDirect(const LineSpec &line);
    // Connects the port as a TCP client to address and port (a number or a
    // service name).
    void DoAttempt(const QString &address, const QString &port);
    // Ends a TCP or direct connection.
    void Hangup1Click();

    // How long after a socket error the port is closed.
    static constexpr int closePortDelayMs = 1000;

signals:
    // Bytes the line delivered, for the terminal.
    void received(const QByteArray &bytes);

private:
    void Postopen();
    void connected();
    void accepted();
    void disconnected();
    void socketError(int code);
    void closePortTimerFired();
    // Stops watching the line and puts every light out.
    void Shutofflights();

    Comport &port_;
    SessionState &state_;
    MainView &view_;
    StatusLights &lights_;
    TLog &log_;
    LoggingOptions &logging_;
    QTimer closePortTimer_;
    std::vector<HandlerRegistration> handlers_;
};
