#include "comms/line/ComportLink.h"

#include "comms/line/Comport.h"

#include <QMetaMethod>

ComportLink::ComportLink(Comport *port, QObject *parent)
    : ByteLink(parent)
    , port_(port)
{
    // Once the engine has stopped listening (its transfer is over) what
    // follows is kept and handed back with the input.
    claim_ = port->claimInput([this](const QByteArray &bytes) {
        if (discarding_)
            quiet_->start();
        else if (isSignalConnected(QMetaMethod::fromSignal(&ByteLink::received)))
            emit received(bytes);
        else
            unused_ += bytes;
    });
    if (!claim_) {
        gone_ = true;
        return;
    }
    // Beside the claim, at the front: the link learns of the loss first and
    // leaves the event to the window.
    disconnectWatch_ = port->events().disconnected.add(HandlerStage::Claim, [this](bool) {
        markGone();
        return false;
    });
    connect(port, &Comport::outputDrained, this, &ByteLink::outputDrained);
    connect(port, &Comport::openChanged, this, [this](bool open) {
        if (!open)
            markGone();
    });
    connect(port, &QObject::destroyed, this, &ComportLink::markGone);
}

ComportLink::~ComportLink()
{
    if (port_) {
        port_->releaseInput(claim_);
        port_->events().disconnected.remove(disconnectWatch_);
        port_->returnInput(unused_);
    }
}

void ComportLink::send(const QByteArray &bytes)
{
    if (isConnected() && !bytes.isEmpty())
        port_->queueBlock(bytes);
}

qint64 ComportLink::pendingOutput() const
{
    return port_ ? port_->outBuffUsed() : 0;
}

void ComportLink::discardOutput()
{
    if (port_)
        port_->flushOutBuffer();
}

void ComportLink::discardUntilQuiet(int quietMs, int maxMs)
{
    discarding_ = true;
    unused_.clear();
    quiet_ = new QTimer(this);
    quiet_->setSingleShot(true);
    quiet_->setInterval(quietMs);
    connect(quiet_, &QTimer::timeout, this, &QObject::deleteLater);
    quiet_->start();
    QTimer::singleShot(maxMs, this, &QObject::deleteLater);
}

void ComportLink::giveBack(const QByteArray &bytes)
{
    unused_ += bytes;
}

bool ComportLink::isConnected() const
{
    return port_ && !gone_ && port_->isOpen();
}

void ComportLink::markGone()
{
    if (gone_)
        return;
    gone_ = true;
    emit disconnected();
}
