#include "comms/line/ComportLink.h"

#include "comms/line/Comport.h"

ComportLink::ComportLink(Comport *port, QObject *parent)
    : ByteLink(parent)
    , port_(port)
{
    port->claimInput(this, [this](const QByteArray &bytes) { emit received(bytes); });
    connect(port, &Comport::outputDrained, this, &ByteLink::outputDrained);
    connect(port, &Comport::disconnected, this, &ComportLink::markGone);
    connect(port, &Comport::openChanged, this, [this](bool open) {
        if (!open)
            markGone();
    });
    connect(port, &QObject::destroyed, this, &ComportLink::markGone);
}

ComportLink::~ComportLink()
{
    if (port_)
        port_->releaseInput(this);
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
