#pragma once

#include "comms/transfer/bplus/BPlusEngine.h"
#include "comms/transfer/bplus/BPlusTransferPackets.h"

// The terminal's side of B+: it answers the host, which starts the session,
// negotiates the transport parameters and asks for a download ("TD") or an
// upload ("TU"). Started when the terminal sees ENQ or DLE from the host;
// the bytes that made it start are fed to it first. When the transfer ends
// the line goes back to the terminal.
//
// Downloads keep their partial data: when the host offers the same file
// again, the part already here is offered for resuming ("Tr").
class BPlusClient : public BPlusEngine {
    Q_OBJECT
public:
    explicit BPlusClient(const Context &context, QObject *parent = nullptr);

    void startSend() override { start(); }
    void startReceive() override { start(); }

private:
    enum class State { Idle, Negotiating, Ready, Receiving, Sending };

    void start();
    void onPacket(char type, const QByteArray &body) override;
    void onAllAcknowledged() override;
    void onWindowOpen() override;
    void onInterrogation() override;
    bool onIdleEnquiry() override;
    void closeFiles(int code) override;

    void negotiate(const QByteArray &body);
    void transferPacket(const QByteArray &body);
    void startDownload(const BPlus::TransferRequest &request);
    void offerResume();
    void receiveData(const QByteArray &data);
    void endDownload();
    void startUpload();
    void sendData();

    State state_ = State::Idle;
    bool resumeOffered_ = false;
    bool closeSent_ = false;
    qint64 sentOffset_ = 0;
};
