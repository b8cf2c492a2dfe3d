#pragma once

#include "comms/events/HandlerChain.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class Comport;

// The five status lights of the line: DCD, CTS and DSR from the serial
// pinout where the device reports it (DCD means connected on a socket), RXD
// and TXD flashing on traffic. Nothing is polled while monitoring is off.
class StatusLights : public QObject {
    Q_OBJECT
public:
    struct State {
        bool dcd = false;
        bool cts = false;
        bool dsr = false;
        bool rxd = false;
        bool txd = false;
        bool operator==(const State &) const = default;
    };

    explicit StatusLights(Comport *port, QObject *parent = nullptr);

    void setMonitoring(bool on);
    bool monitoring() const { return monitoring_; }
    State state() const { return state_; }
    // Puts every light out.
    void lightsOut();
    // Sets the carrier light by hand (a socket connecting).
    void setDcd(bool on);

    static constexpr int pollMs = 250;
    static constexpr int flashMs = 100;

signals:
    void changed(const StatusLights::State &state);

private:
    void poll();
    void flash(bool received);
    void update(State next);

    QPointer<Comport> port_;
    bool monitoring_ = false;
    State state_;
    QTimer pollTimer_;
    QTimer rxTimer_;
    QTimer txTimer_;
    std::vector<HandlerRegistration> watches_;
};
