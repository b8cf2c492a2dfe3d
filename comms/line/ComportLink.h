#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/link/ByteLink.h"

#include <QPointer>
#include <QTimer>

class Comport;

// The port as a ByteLink for the transfer engines. While it exists it holds
// the port's input: every received byte goes to received(), in order, and
// none to the terminal; what the engine gives back or no longer listens for
// goes back to the line when the link goes. Destroying it hands the input back. When another
// link already holds the input the port refuses (errorOccurred says so) and
// this link is not connected.
class ComportLink : public ByteLink {
    Q_OBJECT
public:
    explicit ComportLink(Comport *port, QObject *parent = nullptr);
    ~ComportLink() override;

    void send(const QByteArray &bytes) override;
    qint64 pendingOutput() const override;
    void discardOutput() override;
    bool isConnected() const override;
    void giveBack(const QByteArray &bytes) override;
    // After a failed transfer: drops what the other side still sends until
    // the line has been quiet for quietMs (at most maxMs in all), then
    // deletes itself, which hands the input back.
    void discardUntilQuiet(int quietMs, int maxMs);

private:
    void markGone();

    QPointer<Comport> port_;
    HandlerToken claim_ = 0;
    HandlerToken disconnectWatch_ = 0;
    bool gone_ = false;
    QByteArray unused_;
    bool discarding_ = false;
    QTimer *quiet_ = nullptr;
};
