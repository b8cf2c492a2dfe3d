#pragma once

#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/bplus/BPlusPacket.h"
#include "comms/transfer/bplus/BPlusParams.h"

#include <deque>

// The packet layer both B+ sides share: sequence numbers, positive and
// negative acknowledgement, send-ahead with go-back on loss, resynchronising
// with ENQ, failure packets and time-outs. The two sides of a session take
// turns: one sends packets, the other acknowledges them, and a packet in
// reply acknowledges everything the other side had in flight.
class BPlusEngine : public TransferEngine {
    Q_OBJECT
public:
    explicit BPlusEngine(const Context &context, QObject *parent = nullptr);

    void cancel() override;

protected:
    // A packet in sequence (or a failure packet). The side decides whether to
    // acknowledge() it or to answer with a packet of its own.
    virtual void onPacket(char type, const QByteArray &body) = 0;
    // Every packet sent so far is acknowledged.
    virtual void onAllAcknowledged() { }
    // Room for another packet in the send-ahead window.
    virtual void onWindowOpen() { }
    virtual void onEnquiryReply() { }
    virtual void onInterrogation() { }
    // ENQ while no session runs; true when the side handled it.
    virtual bool onIdleEnquiry() { return false; }
    // Nothing arrived while waiting for the first packet.
    virtual void onHandshakeTimeout() { endWith(TransferResult::TimedOut); }
    // The transfer is over with `code`: files are closed; finish() follows.
    virtual void closeFiles(int code) = 0;

    void sendPacket(char type, const QByteArray &body, qint64 progressMark = -1);
    bool canSend() const;
    bool allAcknowledged() const { return outstanding_.empty(); }
    void acknowledge();
    void sendRaw(const QByteArray &bytes) { send(bytes); }
    // Sequence numbers start again (the session begins): last seen is 0.
    void restartSequence();
    void applySession(const BPlus::Session &session);
    const BPlus::Session &session() const { return session_; }
    // Waits for the other side's next packet; silence makes it ask again.
    void expectPacket();
    // Waits up to `ms` for the first sign of the other side.
    void awaitHandshake(int ms);
    // Tells the other side why and finishes once it acknowledged (or gave up).
    void failWith(int code, const QString &text, char failure = 0);
    // Finishes at once.
    void endWith(int code);
    // Progress mark of the newest packet acknowledged.
    qint64 acknowledgedMark() const { return ackedMark_; }

    static constexpr int ackTimeoutMs = 10000;
    static constexpr int maxRetries = 10;

private:
    struct Sent {
        int seq = 0;
        QByteArray wire;
        qint64 mark = -1;
    };

    void onReceived(const QByteArray &bytes) final;
    void onOutputDrained() final;
    void onTimeout() final;
    void handle(const BPlus::Event &event);
    void handlePacket(const BPlus::Event &event);
    void handleAck(int seq);
    void handleEnquiry();
    void startResync();
    void resyncAnswer(int seq);
    void retransmitOutstanding();
    void countFailure(const QString &what);
    void sendNak();
    void armAck();

    BPlus::Parser parser_;
    BPlus::Session session_;
    std::deque<Sent> outstanding_;
    std::deque<Sent> history_; // acknowledged lately, kept to go back on a false acknowledgement
    int counter_ = 0; // sequence of the latest packet either way
    int lastReceived_ = 0;
    int retries_ = 0;
    int resyncFirst_ = -1;
    bool resyncing_ = false;
    bool nakSent_ = false;
    bool expecting_ = false;
    bool handshake_ = false;
    bool failing_ = false;
    int failSeq_ = 0;
    int failCode_ = 0;
    QByteArray failWire_;
    qint64 ackedMark_ = -1;
};
