#pragma once

#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/kermit/KermitAttributes.h"
#include "comms/transfer/kermit/KermitCodec.h"
#include "comms/transfer/kermit/KermitPacket.h"
#include "comms/transfer/kermit/KermitParams.h"

#include <array>

// Kermit, sender and receiver: Send-Init negotiation, prefixing, repeat
// compression, block checks 1-3, long packets, sliding windows, streaming
// when both sides offer it, attribute packets and batches.
class KermitEngine : public TransferEngine {
    Q_OBJECT
public:
    explicit KermitEngine(const Context &context, QObject *parent = nullptr);
    ~KermitEngine() override;

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
        SendInit,
        SendFile,
        SendAttributes,
        SendData,
        SendEof,
        SendBreak,
        // receiver
        ReceiveInit,
        Receiving,
    };

    struct Slot {
        QByteArray bytes; // the packet as sent (sender) or received data (receiver)
        char type = 0;
        bool used = false; // sender: in flight; receiver: held for processing
        bool acked = false;
    };

    // Packet layer.
    void sendPacket(int seq, char type, const QByteArray &data);
    void sendAck(int seq, const QByteArray &data = {}) { sendPacket(seq, 'Y', data); }
    void sendNak(int seq) { sendPacket(seq, 'N', {}); }
    void armPacketTimeout();
    void applyLink(const KermitParams &theirs);
    void fail(int code, const QByteArray &message);
    void handlePacket(const Kermit::PacketReader::Result &result);
    static int seqDistance(int from, int to) { return (to - from + 64) & 63; }

    // Sender (KermitSender.cpp).
    void senderPacket(const Kermit::Packet &packet);
    void sendSingle(char type, const QByteArray &data);
    void resendSingle();
    void startNextFile();
    void startData();
    void fillWindow();
    void dataAcked(int seq, const QByteArray &data);
    void resendData(int seq);
    void sendEof(bool discard);
    void senderTimeout();
    void remoteInterrupt(char what);

    // Receiver (KermitReceiver.cpp).
    void receiverPacket(const Kermit::Packet &packet);
    void receiverBadPacket();
    void receiverTimeout();
    QByteArray processInOrder(const Kermit::Packet &packet, bool *stop);
    QByteArray onSendInit(const QByteArray &data);
    void onFileHeader(const QByteArray &data);
    QByteArray onAttributes(const QByteArray &data);
    QByteArray onData(const QByteArray &data);
    void onEof(const QByteArray &data);
    bool openIncoming();
    void closeIncoming(int result);

    State state_ = State::Idle;
    Kermit::PacketReader reader_;
    KermitParams mine_;
    KermitLink link_;
    KermitCodec encoder_;
    KermitCodec decoder_;
    int txCheck_ = 1; // block check of the packets we send
    int retries_ = 0;
    int maxRetries_ = 10;
    bool cancelling_ = false; // cancel asked; the error packet is still to go

    // Sender.
    int seq_ = 0; // next sequence number to use
    int singleSeq_ = 0;
    char singleType_ = 0;
    QByteArray singlePacket_;
    QByteArray readBuffer_;
    qsizetype readPos_ = 0;
    qint64 bytesSent_ = 0;
    bool fileEnded_ = false;
    bool discardFile_ = false;
    bool stopBatch_ = false;
    int fileResult_ = TransferResult::Success;
    int windowBase_ = 0;
    std::array<Slot, 64> slots_{};

    // Receiver.
    int expected_ = 0;
    IncomingOffer offer_;
    KermitAttributes attributes_;
    bool haveAttributes_ = false;
    bool refused_ = false;
    bool pendingCr_ = false;
    bool streamBroken_ = false; // a streamed packet was damaged
    bool inStreamedData_ = false; // the last packet taken was streamed data
    QByteArray decoded_;
};
