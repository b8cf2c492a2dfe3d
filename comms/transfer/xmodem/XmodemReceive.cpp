// Receiving side of XmodemEngine.

#include "comms/transfer/FileHeader.h"
#include "comms/transfer/TransferHost.h"
#include "comms/transfer/xmodem/XmodemBlock.h"
#include "comms/transfer/xmodem/XmodemEngine.h"

#include "shell/Ticks.h"

namespace {

constexpr int blockWaitMs = 10000; // for the next block to start
constexpr int midBlockMs = 3000; // silence inside a block
constexpr int quietMs = 1000; // line quiet after a bad block
constexpr int crcRetryMs = 3000;
constexpr int nakRetryMs = 10000;
constexpr int crcTriesBeforeChecksum = 3;
constexpr int maxRetries = 10;
// Unanswered "G"s after a complete file before a stream counts as ended.
constexpr int streamEndStarts = 3;

QByteArray withoutPadding(QByteArray data)
{
    qsizetype end = data.size();
    while (end > 0 && data.at(end - 1) == Xmodem::SUB)
        --end;
    data.truncate(end);
    return data;
}

} // namespace

void XmodemEngine::startReceive()
{
    sending_ = false;
    markRunning();
    switch (type()) {
    case ProtocolType::Xmodem:
        startChar_ = Xmodem::NAK;
        break;
    case ProtocolType::Xmodem1KG:
    case ProtocolType::YmodemG:
        startChar_ = Xmodem::STREAM_START;
        break;
    default:
        startChar_ = Xmodem::CRC_START;
        break;
    }
    useCrc_ = startChar_ != Xmodem::NAK;
    streaming_ = startChar_ == Xmodem::STREAM_START;
    reader_.setCrc(useCrc_);
    expected_ = isBatch() ? 0 : 1;
    if (!isBatch() && !openRequestedFile())
        return;
    state_ = State::Handshake;
    handshakeTries_ = 0;
    handshakeClock_.start();
    sendStartChar();
}

bool XmodemEngine::openRequestedFile()
{
    const int code = TransferEngine::openRequestedFile(&incoming_);
    if (code != TransferResult::Success) {
        // Cancel a sender that is already waiting for us.
        fail(code);
        return false;
    }
    fileActive_ = true;
    fileSize_ = -1;
    received_ = 0;
    return true;
}

void XmodemEngine::sendStartChar()
{
    send(QByteArray(1, startChar_));
    ++handshakeTries_;
    armTimeout(startChar_ == Xmodem::NAK ? nakRetryMs : crcRetryMs);
}

void XmodemEngine::onReceiverInput(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    if (state_ == State::Purge) {
        watchForCancel(data, bytes.size());
        if (!streamAborted_)
            armTimeout(quietMs);
        return;
    }
    qsizetype pos = 0;
    while (pos < bytes.size() && !isFinished()) {
        BlockReader::Result result;
        const qsizetype used = reader_.read(data + pos, bytes.size() - pos, &result);
        watchForCancel(data + pos, used);
        pos += used;
        if (result.event == BlockReader::Event::Block)
            trailingCan_ = 0;
        // A sender that ends a file sends EOT and waits: it comes alone.
        const bool alone = used == bytes.size();
        if (!handleReaderEvent(result, alone)) {
            if (state_ == State::Purge)
                watchForCancel(data + pos, bytes.size() - pos);
            return;
        }
    }
    if (isFinished())
        return;
    if (reader_.inBlock()) {
        state_ = State::ReceiveBlocks;
        armTimeout(midBlockMs);
    }
}

bool XmodemEngine::handleReaderEvent(const BlockReader::Result &result, bool alone)
{
    switch (result.event) {
    case BlockReader::Event::None:
        return true;
    case BlockReader::Event::Noise:
        eotPending_ = false;
        if (streaming_ && fileActive_ && state_ == State::ReceiveBlocks) {
            abortStream();
            return false;
        }
        return true;
    case BlockReader::Event::Cancel:
        incoming_.abandon();
        finish(TransferResult::CancelledByRemote);
        return false;
    case BlockReader::Event::Eot:
        handleEot(alone);
        return !isFinished();
    case BlockReader::Event::BadBlock:
        if (streaming_) {
            abortStream();
            return false;
        }
        startPurge(QStringLiteral("Bad block"));
        return false;
    case BlockReader::Event::Block:
        handleBlock(result.number, result.data);
        return !isFinished() && state_ != State::Purge;
    }
    return true;
}

void XmodemEngine::handleBlock(quint8 number, const QByteArray &data)
{
    eotPending_ = false;
    state_ = State::ReceiveBlocks;
    armTimeout(blockWaitMs);
    if (isBatch() && !fileActive_) {
        if (number != 0) {
            fail(TransferResult::ProtocolError);
            return;
        }
        handleHeader(data);
        return;
    }
    if (number == expected_) {
        retries_ = 0;
        ++expected_;
        acceptData(data);
        if (!streaming_ && !isFinished())
            send(QByteArray(1, Xmodem::ACK));
        return;
    }
    if (number == static_cast<quint8>(expected_ - 1) && !streaming_) {
        // Our answer was lost; the sender repeats the block.
        send(QByteArray(1, Xmodem::ACK));
        if (isBatch() && number == 0)
            send(QByteArray(1, startChar_));
        return;
    }
    fail(TransferResult::ProtocolError);
}

void XmodemEngine::handleHeader(const QByteArray &data)
{
    // A block 0 without a name ends the batch.
    const FileHeader header = FileHeader::parse(data);
    if (header.name.isEmpty()) {
        if (!streaming_)
            send(QByteArray(1, Xmodem::ACK));
        finish(batchResult());
        return;
    }
    const IncomingOffer offer = header.offer();
    ReceivePolicy policy = host()->receivePolicy();
    policy.recover = false;
    int code = incoming_.open(policy, offer);
    if (code == TransferResult::Success && !host()->acceptIncoming(incoming_.finalPath())) {
        incoming_.abandon();
        code = TransferResult::FileRejected;
    }
    beginFile(header.name, header.size, false);
    if (code != TransferResult::Success && code != TransferResult::FileRejected
        && code != TransferResult::Skipped) {
        // The file cannot be kept: the sender must not count it as delivered.
        fail(code);
        return;
    }
    status_.blockSize = Xmodem::longBlock;
    fileActive_ = true;
    discarding_ = code != TransferResult::Success;
    if (discarding_) {
        // Ymodem cannot skip a file: read it into nothing and go on with the batch.
        countError(transferResultText(code));
        endFile(code);
        noteFileResult(code);
    }
    fileSize_ = header.size;
    received_ = 0;
    expected_ = 1;
    retries_ = 0;
    if (!streaming_)
        send(QByteArray(1, Xmodem::ACK));
    send(QByteArray(1, startChar_));
}

void XmodemEngine::acceptData(const QByteArray &data)
{
    if (fileSize_ >= 0) {
        const qint64 room = qMax<qint64>(0, fileSize_ - received_);
        writeOut(data.size() > room ? data.left(room) : data);
        return;
    }
    // No size: the last block is held until the end is known, so its padding
    // can be removed when asked for.
    if (!heldBack_.isEmpty() && !writeOut(heldBack_))
        return;
    heldBack_ = data;
}

bool XmodemEngine::writeOut(const QByteArray &data)
{
    if (!discarding_) {
        const int code = incoming_.write(data);
        if (code != TransferResult::Success) {
            fail(code);
            return false;
        }
    }
    received_ += data.size();
    setProgress(received_);
    return true;
}

void XmodemEngine::handleEot(bool alone)
{
    if (!fileActive_) {
        // A repeat of the end we already answered.
        send(QByteArray(1, Xmodem::ACK));
        return;
    }
    if (!streaming_ && !alone) {
        // An EOT among other bytes is a damaged or lost block, not the end.
        eotPending_ = false;
        return;
    }
    if (!streaming_ && !eotPending_) {
        // Make sure of the end: a real sender repeats it.
        eotPending_ = true;
        send(QByteArray(1, Xmodem::NAK));
        armTimeout(blockWaitMs);
        return;
    }
    eotPending_ = false;
    send(QByteArray(1, Xmodem::ACK));
    completeFile();
}

void XmodemEngine::completeFile()
{
    if (!heldBack_.isEmpty()) {
        const QByteArray last = options().xmodemStripPadding ? withoutPadding(heldBack_) : heldBack_;
        heldBack_.clear();
        if (!writeOut(last))
            return;
    }
    fileActive_ = false;
    int code = TransferResult::Success;
    if (discarding_) {
        discarding_ = false;
        code = batchResult();
    } else if (fileSize_ >= 0 && received_ < fileSize_) {
        // Fewer bytes than announced: never pass a short file off as complete.
        incoming_.abandon();
        code = TransferResult::ProtocolError;
        endFile(code);
    } else {
        code = incoming_.finish(fileSize_);
        endFile(code);
    }
    noteFileResult(code);
    if (!isBatch()) {
        finish(code);
        return;
    }
    batchFileEnded_ = true;
    expected_ = 0;
    state_ = State::Handshake;
    handshakeClock_.start();
    handshakeTries_ = 0;
    sendStartChar();
}

bool XmodemEngine::streamEndMayBeLost() const
{
    // A streaming sender never waits for its end-of-batch block to be read
    // and may flush it away as it closes the line: after a complete file,
    // silence or a dropped line ends the batch.
    return !sending_ && streaming_ && batchFileEnded_ && state_ == State::Handshake;
}

void XmodemEngine::watchForCancel(const char *data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        if (data[i] == Xmodem::CAN)
            ++trailingCan_;
        else if (data[i] != Xmodem::BS)
            trailingCan_ = 0;
    }
}

void XmodemEngine::onReceiverTimeout()
{
    if (trailingCan_ >= 2) {
        // The sender cancelled while a block was being read or purged, and
        // has gone quiet.
        incoming_.abandon();
        finish(TransferResult::CancelledByRemote);
        return;
    }
    switch (state_) {
    case State::Handshake:
        if (streamEndMayBeLost() && handshakeTries_ >= streamEndStarts) {
            countError(QStringLiteral("No end of batch"));
            finish(batchResult());
            return;
        }
        if (handshakeClock_.elapsed() >= Ticks::toMs(options().handshakeWaitTicks)) {
            fail(TransferResult::TimedOut);
            return;
        }
        if (!isBatch() && startChar_ == Xmodem::CRC_START && !streaming_
            && handshakeTries_ >= crcTriesBeforeChecksum && expected_ == 1) {
            // No answer to "C": the sender may only know checksums.
            startChar_ = Xmodem::NAK;
            useCrc_ = false;
            reader_.setCrc(false);
        }
        sendStartChar();
        break;
    case State::Purge:
        if (streamAborted_) {
            finish(TransferResult::ProtocolError);
            return;
        }
        state_ = State::ReceiveBlocks;
        reader_.reset();
        send(QByteArray(1, Xmodem::NAK));
        armTimeout(blockWaitMs);
        break;
    default:
        timeOutInBlocks();
        break;
    }
}

void XmodemEngine::timeOutInBlocks()
{
    if (streaming_) {
        fail(TransferResult::TimedOut);
        return;
    }
    countError(QStringLiteral("Time-out"));
    if (++retries_ > maxRetries) {
        fail(TransferResult::TooManyErrors);
        return;
    }
    reader_.reset();
    send(QByteArray(1, Xmodem::NAK));
    armTimeout(blockWaitMs);
}

void XmodemEngine::startPurge(const QString &why)
{
    countError(why);
    if (++retries_ > maxRetries) {
        fail(TransferResult::TooManyErrors);
        return;
    }
    state_ = State::Purge;
    reader_.reset();
    armTimeout(quietMs);
}

void XmodemEngine::abortStream()
{
    // A stream has no retries: stop the sender at once. The damage may be
    // the sender's own cancel arriving inside a block, so the verdict waits
    // until the line has been quiet briefly.
    countError(QStringLiteral("Bad block"));
    cancelRemote();
    streamAborted_ = true;
    state_ = State::Purge;
    reader_.reset();
    armTimeout(quietMs);
}
