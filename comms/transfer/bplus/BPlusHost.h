#pragma once

#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/OutgoingFile.h"
#include "comms/transfer/bplus/BPlusEngine.h"
#include "comms/transfer/bplus/BPlusParams.h"

#include <QFile>

// The host's side of B+ (the initiator): it calls the terminal with ENQ,
// sends its transport parameters, and then asks the terminal to take a file
// ("TD", our send) or to give one ("TU", our receive, under the name the
// host asks for). Tools and tests use it to play the service a terminal
// talks to.
class BPlusHost : public BPlusEngine {
    Q_OBJECT
public:
    explicit BPlusHost(const Context &context, QObject *parent = nullptr);

    // The parameters offered in the '+' packet (the defaults otherwise).
    void setParameters(const BPlus::Params &params) { own_ = params; }

    void startSend() override;
    void startReceive() override;

private:
    enum class Step { Calling, ParamsSent, AwaitingParams, Requested, Restarting, Sending, Receiving };

    void call();
    void onEnquiryReply() override;
    void onHandshakeTimeout() override;
    void onPacket(char type, const QByteArray &body) override;
    void onAllAcknowledged() override;
    void onWindowOpen() override;
    void closeFiles(int code) override;

    void request();
    void answerResume(const QByteArray &body);
    bool sameStart(qint64 length, quint16 crc);
    void beginSending(qint64 from);
    void pump();
    void takePacket(char type, const QByteArray &body);

    BPlus::Params own_;
    Step step_ = Step::Calling;
    bool download_ = true; // the terminal receives
    int calls_ = 0;
    OutgoingFile source_;
    IncomingFile target_;
    QByteArray requestName_;
    qint64 position_ = 0;
    bool closing_ = false;
};
