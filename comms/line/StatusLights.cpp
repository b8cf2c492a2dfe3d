#include "comms/line/StatusLights.h"

#include "comms/line/Comport.h"

StatusLights::StatusLights(Comport *port, QObject *parent)
    : QObject(parent)
    , port_(port)
{
    pollTimer_.setInterval(pollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &StatusLights::poll);
    for (QTimer *timer : {&rxTimer_, &txTimer_}) {
        timer->setSingleShot(true);
        timer->setInterval(flashMs);
    }
    connect(&rxTimer_, &QTimer::timeout, this, [this] {
        State next = state_;
        next.rxd = false;
        update(next);
    });
    connect(&txTimer_, &QTimer::timeout, this, [this] {
        State next = state_;
        next.txd = false;
        update(next);
    });
    connect(port, &Comport::received, this, [this] { flash(true); });
    connect(port, &Comport::sent, this, [this] { flash(false); });
    const auto poll = [this] {
        this->poll();
        return false;
    };
    watches_.push_back(port->events().connected.attach(HandlerStage::Watchers, poll));
    watches_.push_back(port->events().accepted.attach(HandlerStage::Watchers, poll));
    watches_.push_back(
        port->events().disconnected.attach(HandlerStage::Watchers, [poll](bool) { return poll(); }));
}

void StatusLights::setMonitoring(bool on)
{
    monitoring_ = on;
    if (on) {
        pollTimer_.start();
        poll();
    } else {
        pollTimer_.stop();
    }
}

void StatusLights::lightsOut()
{
    rxTimer_.stop();
    txTimer_.stop();
    update(State{});
}

void StatusLights::setDcd(bool on)
{
    State next = state_;
    next.dcd = on;
    update(next);
}

void StatusLights::poll()
{
    if (!monitoring_ || !port_)
        return;
    State next = state_;
    if (port_->deviceLayer() == DeviceLayer::Socket) {
        next.dcd = port_->isOpen() && port_->dcd();
    } else if (const auto lines = port_->modemLines()) {
        next.dcd = *lines & ModemLine::Dcd;
        next.cts = *lines & ModemLine::Cts;
        next.dsr = *lines & ModemLine::Dsr;
    } else if (!port_->isOpen()) {
        next.dcd = next.cts = next.dsr = false;
    }
    update(next);
}

void StatusLights::flash(bool received)
{
    if (!monitoring_)
        return;
    State next = state_;
    (received ? next.rxd : next.txd) = true;
    (received ? rxTimer_ : txTimer_).start();
    update(next);
}

void StatusLights::update(State next)
{
    if (next == state_)
        return;
    state_ = next;
    emit changed(state_);
}
