#include "comms/line/ComportLink.h"

#include "comms/line/Comport.h"

ComportLink::ComportLink(Comport *port, QObject *parent)
    : ByteLink(parent)
    , port_(port)
{
    claim_ = port->claimInput([this](const QByteArray &bytes) { emit received(bytes); });
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
