#pragma once

#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/OutgoingFile.h"
#include "comms/transfer/TransferTypes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class ByteLink;
class TransferHost;

// Base of every protocol: one transfer, run as a state machine fed by the
// bytes the link delivers and by its own time-out timer. Nothing blocks.
//
// A subclass implements startSend/startReceive/cancel and onReceived, and
// calls finish() exactly once with the result; the base then stops
// listening to the link and emits finished().
class TransferEngine : public QObject {
    Q_OBJECT
public:
    struct Context {
        ByteLink *link = nullptr;
        TransferHost *host = nullptr;
        ProtocolOptions options;
        ProtocolType type = ProtocolType::None;
    };

    explicit TransferEngine(const Context &context, QObject *parent = nullptr);
    ~TransferEngine() override;

    virtual void startSend() = 0;
    virtual void startReceive() = 0;
    // Tells the remote side to stop and finishes with CancelledLocally.
    virtual void cancel() = 0;

    // Bytes the terminal took from the line before the engine started (the
    // start sequence that made it start); handled as if just received.
    void feed(const QByteArray &bytes);

    bool isRunning() const { return running_; }
    bool isFinished() const { return done_; }
    const TransferStatus &status() const { return status_; }

signals:
    void finished(int code);

protected:
    virtual void onReceived(const QByteArray &bytes) = 0;
    virtual void onOutputDrained() { }
    virtual void onTimeout() { }
    // The link went away mid-transfer. Default: finish with CarrierLost.
    virtual void onLinkLost();

    void send(const QByteArray &bytes);
    qint64 pendingOutput() const;
    // Bytes handed to send() so far, and how many of them have left the
    // link (what the link still holds, the system's queue included, has not).
    qint64 outputSent() const { return sentTotal_; }
    qint64 outputLeft() const;
    // Drops what the link has not sent yet; it no longer counts as sent.
    void discardOutput();
    void armTimeout(int ms);
    void armTimeoutTicks(int ticks);
    // A wait for a quiet line: every byte received starts it afresh, so a
    // long packet still coming in on a slow line does not time out.
    void armQuietTimeout(int ms);
    void stopTimeout();
    // For a time-out handler: true, with the same wait armed again, while the
    // line is still carrying our own output and has moved since the last
    // time-out. No answer is due before the other side has our data; a line
    // that takes nothing at all still times out.
    bool deferWhileOutputMoves();

    // Status and history bookkeeping for one file.
    void beginFile(const QString &name, qint64 size, bool sending);
    void setProgress(qint64 bytesDone);
    void countError(const QString &what);
    // Reports the file to the history log; result 0 for success.
    void endFile(int result);

    // For protocols that carry no file name: opens the name the host gives
    // (its policy, without resume) and asks the host to accept it; the status
    // names the file. Returns Success or the code to finish with.
    int openRequestedFile(IncomingFile *file);

    // The first failure of a file is the result of the whole batch; the
    // files after it still go.
    void noteFileResult(int code)
    {
        if (code != TransferResult::Success && batchResult_ == TransferResult::Success)
            batchResult_ = code;
    }
    int batchResult() const { return batchResult_; }

    void markRunning() { running_ = true; }
    void finish(int code);

    ByteLink *link() const { return context_.link; }
    TransferHost *host() const { return context_.host; }
    const ProtocolOptions &options() const { return context_.options; }
    ProtocolType type() const { return context_.type; }

    // Lets go of the files of a transfer that stops: what was being
    // received is removed (or kept for resuming, as the policy says), what
    // was being sent is closed.
    void dropFiles()
    {
        incoming_.abandon();
        outgoing_.close();
    }

    TransferStatus status_;
    // The file being received and the file being sent.
    IncomingFile incoming_;
    OutgoingFile outgoing_;

private:
    void updateRate();

    Context context_;
    QTimer timeout_;
    bool quietWait_ = false;
    QElapsedTimer fileClock_;
    bool fileOpen_ = false;
    bool running_ = false;
    bool done_ = false;
    int batchResult_ = TransferResult::Success;
    qint64 sentTotal_ = 0;
    qint64 writtenAtLastDefer_ = 0;
};
