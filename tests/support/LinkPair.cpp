#include "LinkPair.h"

#include <QTimer>

void MemoryLink::send(const QByteArray &bytes)
{
    if (!connected_ || bytes.isEmpty())
        return;
    queued_.append(bytes);
    if (!scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &MemoryLink::deliver);
    }
}

void MemoryLink::deliver()
{
    scheduled_ = false;
    if (!connected_ || !peer_ || queued_.isEmpty())
        return;
    const QByteArray chunk = queued_.left(chunkSize_);
    queued_.remove(0, chunk.size());
    emit peer_->received(chunk);
    if (queued_.isEmpty()) {
        emit outputDrained();
    } else if (!scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &MemoryLink::deliver);
    }
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
