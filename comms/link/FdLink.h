#pragma once

#include "comms/link/ByteLink.h"

#include <QTimer>

class QSocketNotifier;

// A ByteLink over two file descriptors (standard input and output, or a
// pipe pair), non-blocking and driven by socket notifiers. The descriptors
// are not closed; their blocking mode is restored on destruction.
class FdLink : public ByteLink {
    Q_OBJECT
public:
    // Where the system holds output before it leaves.
    enum class Queue { None, Pipe, Terminal, Socket };

    FdLink(int readFd, int writeFd, QObject *parent = nullptr);
    ~FdLink() override;

    void send(const QByteArray &bytes) override;
    qint64 pendingOutput() const override { return out_.size() - outPos_; }
    qint64 unsentOutput() const override;
    void discardOutput() override;
    bool isConnected() const override { return !gone_; }
    // Gathers only over a deep pipe, which holds what arrives meanwhile.
    void setGatherInput(bool on) override { gatherInput_ = on && canGatherInput_; }
    void setGatherOutput(bool on) override { gatherOutput_ = on && canGatherOutput_; }

private:
    void readAvailable();
    void writeQueued();
    void reportDrained();
    void markGone();

    int readFd_;
    int writeFd_;
    int readFlags_;
    int writeFlags_;
    Queue writeQueue_;
    QSocketNotifier *readNotifier_;
    QSocketNotifier *writeNotifier_;
    QTimer inputTimer_;
    QTimer outputTimer_;
    bool canGatherInput_ = false;
    bool canGatherOutput_ = false;
    bool gatherInput_ = false;
    bool gatherOutput_ = false;
    QByteArray inbox_;
    QByteArray out_;
    qsizetype outPos_ = 0;
    bool drainPosted_ = false;
    bool gone_ = false;
};
