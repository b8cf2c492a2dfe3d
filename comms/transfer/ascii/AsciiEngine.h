#pragma once

#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/ascii/AsciiTranslation.h"

#include <QTimer>

// Plain ASCII transfer of one file, both directions, with the CR and LF
// translations of AsciiTranslator.
//
// Sending paces the file by timers: after each character the character
// delay, after each line (ended by LF, or by a CR not followed by LF) the
// line delay as well. Without delays the file streams as fast as the line
// takes it. Progress counts bytes of the file.
//
// Receiving stores everything that arrives, translated, until the line has
// been silent for the end-of-file time-out; that silence is the successful
// end. Before the first byte the wait is the handshake wait (or the time-out
// if longer); when nothing arrives at all the receive times out and leaves
// no file.
class AsciiEngine : public TransferEngine {
    Q_OBJECT
public:
    explicit AsciiEngine(const Context &context, QObject *parent = nullptr);
    ~AsciiEngine() override;

    void startSend() override;
    void startReceive() override;
    void cancel() override;

protected:
    void onReceived(const QByteArray &bytes) override;
    void onOutputDrained() override;
    void onTimeout() override;
    void onLinkLost() override;

private:
    void fail(int code);

    // Sending (AsciiSend.cpp)
    void pump();
    bool fillSource();
    qsizetype nextSegment(bool *endsLine);
    bool isLineEnd(qsizetype index) const;
    void sendFinished();

    AsciiTranslator translator_;
    bool sending_ = false;

    // Sender
    QByteArray source_; // read from the file, not yet sent
    qsizetype sourcePos_ = 0;
    qint64 sentBytes_ = 0; // of the file
    bool draining_ = false; // all queued; waiting for the line to take it
    QTimer pace_;

    // Receiver
    qint64 received_ = 0;
};
