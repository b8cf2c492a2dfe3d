#pragma once

#include "comms/link/ByteLink.h"

#include <QPointer>

// Two in-memory ByteLinks wired to each other: what one sends, the other
// receives on a later turn of the event loop, in order, in chunks of at most
// chunkSize bytes. setBytesPerSecond() makes it a slow line: a tenth of that
// a tenth of a second apart. close() makes both sides report the line gone.
class MemoryLink : public ByteLink {
    Q_OBJECT
public:
    using ByteLink::ByteLink;

    void send(const QByteArray &bytes) override;
    qint64 pendingOutput() const override { return queued_.size(); }
    void discardOutput() override { queued_.clear(); }
    bool isConnected() const override { return connected_; }

    void setPeer(MemoryLink *peer) { peer_ = peer; }
    void setChunkSize(int size) { chunkSize_ = size; }
    void setBytesPerSecond(int rate) { bytesPerSecond_ = rate; }
    void goAway();

private:
    void scheduleDelivery();
    void deliver();

    QPointer<MemoryLink> peer_;
    QByteArray queued_;
    int chunkSize_ = 4096;
    int bytesPerSecond_ = 0; // 0: as fast as the event loop turns
    bool scheduled_ = false;
    bool connected_ = true;
};

class LinkPair {
public:
    LinkPair();
    MemoryLink a;
    MemoryLink b;
    void close();
};
