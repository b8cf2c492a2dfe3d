#include "LinkPair.h"

#include <QTimer>

void MemoryLink::send(const QByteArray &bytes)
{
    if (!connected_ || bytes.isEmpty())
        return;
    queued_.append(bytes);
    scheduleDelivery();
}

void MemoryLink::scheduleDelivery()
{
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(bytesPerSecond_ > 0 ? 100 : 0, this, &MemoryLink::deliver);
}

void MemoryLink::deliver()
{
    scheduled_ = false;
    if (!connected_ || !peer_ || queued_.isEmpty())
        return;
    const int size = bytesPerSecond_ > 0 ? qMin(chunkSize_, qMax(1, bytesPerSecond_ / 10)) : chunkSize_;
    const QByteArray chunk = queued_.left(size);
    queued_.remove(0, chunk.size());
    emit peer_->received(chunk);
    if (queued_.isEmpty())
        emit outputDrained();
    else
        scheduleDelivery();
}

void MemoryLink::goAway()
{
    if (!connected_)
        return;
    connected_ = false;
    queued_.clear();
    emit disconnected();
}

LinkPair::LinkPair()
{
    a.setPeer(&b);
    b.setPeer(&a);
}

void LinkPair::close()
{
    a.goAway();
    b.goAway();
}
