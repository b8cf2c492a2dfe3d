#pragma once

#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/xmodem/BlockReader.h"

#include <QElapsedTimer>

// Xmodem (checksum, CRC, 1K, 1K-G), Ymodem and Ymodem-G, both directions.
//
// The receiver picks the block check and streaming by its start character
// (NAK checksum, "C" CRC, "G" CRC streamed); the sender follows it. Ymodem
// adds block 0 with the file's name, size, time and mode before each file
// and an empty block 0 after the last.
//
// Xmodem carries no size: the receiver keeps the data exactly as sent
// except the SUB (^Z) bytes that pad the last block, so a file that itself
// ends in ^Z loses those. Ymodem cuts the file to the size in block 0.
class XmodemEngine : public TransferEngine {
    Q_OBJECT
public:
    explicit XmodemEngine(const Context &context, QObject *parent = nullptr);
    ~XmodemEngine() override;

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
        // Sender
        WaitStart, // for the receiver's NAK, C or G before block 0 or block 1
        WaitHeaderAck,
        WaitDataStart, // Ymodem: for the C or G that follows block 0
        WaitBlockAck,
        Streaming,
        WaitEotAck,
        WaitEndAck, // Ymodem: empty block 0 sent
        // Receiver
        Handshake,
        ReceiveBlocks,
        Purge, // after a bad block: drop input until the line is quiet, then NAK
    };

    bool isBatch() const;
    bool isStreamingType() const;
    void fail(int code); // cancels the remote side and finishes
    void cancelRemote(); // stops the remote side; a partial received file is dropped

    // Sending (XmodemSend.cpp)
    void sendByte(char c);
    bool openNextFile();
    void onSenderInput(const QByteArray &bytes);
    void onSenderTimeout();
    void beginData();
    void sendHeader();
    void onStartChar(char c);
    bool countCan(char c);
    void sendEndOfBatch();
    void sendCurrentBlock();
    bool loadNextBlock();
    void fillStream();
    void blockAcknowledged();
    void sendEot();
    int answerWaitMs() const;
    bool endUnconfirmed() const;
    void fileSent();
    void resend(const QString &why);

    // Receiving (XmodemReceive.cpp)
    bool openRequestedFile();
    void sendStartChar();
    void onReceiverInput(const QByteArray &bytes);
    void onReceiverTimeout();
    bool handleReaderEvent(const BlockReader::Result &result, bool alone);
    void handleBlock(quint8 number, const QByteArray &data);
    void handleHeader(const QByteArray &data);
    void handleEot(bool alone);
    void acceptData(const QByteArray &data);
    void completeFile();
    bool streamEndMayBeLost() const;
    void startPurge(const QString &why);
    void abortStream();
    void timeOutInBlocks();
    void watchForCancel(const char *data, qsizetype length);
    bool writeOut(const QByteArray &data);

    State state_ = State::Idle;
    bool sending_ = false;
    bool useCrc_ = true;
    bool streaming_ = false;
    int retries_ = 0;

    // Sender
    QByteArray block_; // what is on the line, kept for resending
    qint64 blockLength_ = 0; // file bytes in block_
    qint64 blockOffset_ = 0; // file offset of block_'s data
    qint64 sentBytes_ = 0; // acknowledged (or streamed) bytes
    quint8 blockNumber_ = 1;
    bool sendingDone_ = false; // Ymodem: all files sent
    int canCount_ = 0;
    bool endAnswered_ = false; // a NAK came back for our EOT or end of batch

    // Receiver
    BlockReader reader_;
    QByteArray heldBack_; // Xmodem: the last block, written once it is known not to be the final one
    quint8 expected_ = 1;
    qint64 fileSize_ = -1;
    qint64 received_ = 0;
    bool eotPending_ = false;
    bool fileActive_ = false;
    bool discarding_ = false; // Ymodem: a refused file is read into nothing
    // CAN bytes (backspaces aside) at the end of what came in since the last
    // good block: a cancel that arrived inside a block or while purging.
    int trailingCan_ = 0;
    bool streamAborted_ = false; // streaming receiver: cancelled the sender after an error
    bool batchFileEnded_ = false; // Ymodem receiver: a file of the batch has ended
    QElapsedTimer handshakeClock_;
    int handshakeTries_ = 0;
    char startChar_ = 'C';
};
