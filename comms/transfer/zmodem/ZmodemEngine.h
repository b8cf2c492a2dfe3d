#pragma once

#include "comms/transfer/OutputPace.h"
#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/zmodem/ZmodemDecoder.h"
#include "comms/transfer/zmodem/ZmodemEncoder.h"

#include <QElapsedTimer>
#include <QTimer>

// Zmodem sender and receiver. The common part (this file's .cpp) owns the
// frame decoder and encoder, aborts and time-outs; ZmodemSend.cpp and
// ZmodemReceive.cpp hold the two roles' state machines.
class ZmodemEngine : public TransferEngine, private ZmodemSink {
    Q_OBJECT
public:
    explicit ZmodemEngine(const Context &context, QObject *parent = nullptr);
    ~ZmodemEngine() override;

    void startSend() override;
    void startReceive() override;
    void cancel() override;

protected:
    void onReceived(const QByteArray &bytes) override;
    void onOutputDrained() override;
    void onTimeout() override;
    void onLinkLost() override;

private:
    enum class State {
        Idle,
        // sender
        WaitReceiverInit,
        WaitFilePosition,
        Streaming,
        WaitAck,
        WaitEofAck,
        WaitFinish,
        // receiver
        WaitFileOffer,
        WaitSinitData,
        WaitFileInfo,
        WaitCommandData,
        WaitCrcReply,
        WaitData,
        ReceivingData,
        WaitOverAndOut,
    };

    // ZmodemSink
    void zHeader(const Zmodem::Header &header) override;
    void zData(const quint8 *data, int length, quint8 frameEnd) override;
    void zBadHeader() override;
    void zBadData() override;
    void zCancelled() override;

    // common
    void sendHex(const Zmodem::Header &header);
    void sendBinary(const Zmodem::Header &header);
    // Counts a recoverable error; false (after aborting) when there were too many.
    bool recoverableError(const QString &what);
    void progressMade() { consecutiveErrors_ = 0; }
    void abortTransfer(int code);
    void endTransfer(int code);
    bool handshakeExpired() const;

    // sender
    void senderHeader(const Zmodem::Header &header);
    void sendRequestInit();
    void nextFile();
    void sendFileOffer();
    void startData(qint64 position);
    void pump();
    void paceCheck();
    // Encodes about room bytes (at least a subpacket's worth) and sends them.
    bool encodeChunk(qint64 room);
    // No buffer limit and full duplex: data goes out without waiting.
    bool receiverStreams() const;
    bool windowFull() const;
    int stallMs() const;
    // A header from the receiver came damaged while streaming, most likely
    // where to resend from: end the frame and start the next at the same
    // place. A receiver that was not asking takes it in its stride; one
    // that was asks again.
    void restatePosition();
    void sendEof();
    void sendFinish();
    void answerCrcRequest(quint32 length);
    void skipCurrentFile(int result);
    void senderTimeout();

    // receiver
    void receiverHeader(const Zmodem::Header &header);
    void receiverData(const quint8 *data, int length, quint8 frameEnd);
    void sendReceiverInit();
    void fileOffered(const quint8 *data, int length);
    void openOffered(bool crcDiffers);
    // ZRPOS for the bytes we have; interrupt sends the attention string first.
    void requestPosition(bool interrupt);
    void completeFile();
    void refuseFile(int result);
    void receiverTimeout();

    ZmodemDecoder decoder_{this};
    ZmodemEncoder encoder_;
    QByteArray out_;
    State state_ = State::Idle;
    bool sending_ = false;
    bool crc32_ = false;
    int consecutiveErrors_ = 0;
    int retries_ = 0;
    QElapsedTimer handshakeClock_;

    // sender
    QByteArray readBuffer_;
    quint8 receiverFlags_ = 0;
    int receiverBuffer_ = 0;
    int blockLength_ = 1024;
    qint64 position_ = 0; // next byte to send
    qint64 ackedPosition_ = 0;
    qint64 lastRposition_ = -1;
    // outputLeft() once the receiver can have seen our last start of data.
    qint64 repeatDueAt_ = 0;
    OutputPace pace_;
    QTimer paceCheck_;
    qint64 leftAtPaceCheck_ = 0;
    bool linkWasEmpty_ = true; // at the last pace check; a new line may be fast
    qint64 segmentBytes_ = 0; // since the last ZCRCW
    qint64 sinceQuery_ = 0; // since the last ZCRCQ
    bool atEof_ = false;
    bool fileActive_ = false;

    // receiver
    IncomingOffer offer_;
    ReceivePolicy policy_;
    QByteArray attention_;
    qint64 offset_ = 0; // bytes of the current file we have
    quint8 offerConversion_ = 0;
    quint8 offerManagement_ = 0;
    int overAndOut_ = 0;
};
