// Sending side of XmodemEngine.

#include "comms/transfer/FileHeader.h"
#include "comms/transfer/TransferHost.h"
#include "comms/transfer/xmodem/XmodemBlock.h"
#include "comms/transfer/xmodem/XmodemEngine.h"

namespace {

constexpr int answerTimeoutMs = 10000;
// A stop-and-wait receiver answers the end of a file or batch at once; one
// that exits as it answers may lose that answer, and a shorter wait ends
// sooner then. A stream's end can be behind data still in flight.
constexpr int endAnswerTimeoutMs = 3000;
constexpr int maxRetries = 10;
// Streaming keeps this much queued on the link.
constexpr qint64 streamWindow = 256 * 1024;
// Repeats of an unanswered EOT before the file counts as delivered.
constexpr int eotResendsUnanswered = 2;

} // namespace

void XmodemEngine::startSend()
{
    sending_ = true;
    markRunning();
    const bool opened = openNextFile();
    if (!opened && !isBatch()) {
        finish(batchResult() != TransferResult::Success ? batchResult() : TransferResult::FileNotFound);
        return;
    }
    sendingDone_ = !opened;
    state_ = State::WaitStart;
    armTimeoutTicks(options().handshakeWaitTicks);
}

bool XmodemEngine::openNextFile()
{
    for (;;) {
        const QString path = host()->nextFileToSend();
        if (path.isEmpty())
            return false;
        const int code = outgoing_.open(path, options().includeDirectory);
        if (code == TransferResult::Success) {
            beginFile(outgoing_.name(), outgoing_.size(), true);
            return true;
        }
        beginFile(OutgoingFile::wireName(path, options().includeDirectory), -1, true);
        endFile(code);
        noteFileResult(code);
        if (!isBatch())
            return false;
    }
}

bool XmodemEngine::countCan(char c)
{
    if (c != Xmodem::CAN) {
        canCount_ = 0;
        return false;
    }
    if (++canCount_ >= 2)
        finish(TransferResult::CancelledByRemote);
    return true;
}

void XmodemEngine::onSenderInput(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (isFinished())
            return;
        if (countCan(c))
            continue;
        switch (state_) {
        case State::WaitStart:
            if (c == Xmodem::NAK || c == Xmodem::CRC_START || c == Xmodem::STREAM_START)
                onStartChar(c);
            break;
        case State::WaitHeaderAck:
            if (c == Xmodem::ACK) {
                state_ = State::WaitDataStart;
                retries_ = 0;
                armTimeout(answerTimeoutMs);
            } else if (c == Xmodem::NAK) {
                resend(QStringLiteral("Header refused"));
            }
            break;
        case State::WaitDataStart:
            if (c == Xmodem::NAK || c == Xmodem::CRC_START || c == Xmodem::STREAM_START)
                beginData();
            break;
        case State::WaitBlockAck:
            if (c == Xmodem::ACK)
                blockAcknowledged();
            else if (c == Xmodem::NAK)
                resend(QStringLiteral("Block refused"));
            break;
        case State::WaitEotAck:
            if (c == Xmodem::ACK) {
                fileSent();
            } else if (isBatch() && !streaming_ && (c == Xmodem::CRC_START || c == Xmodem::STREAM_START)) {
                // The receiver asks for the next file: its answer to the end was lost.
                fileSent();
                onStartChar(c);
            } else if (c == Xmodem::NAK) {
                endAnswered_ = true;
                // The first NAK is the receiver making sure of the end.
                if (retries_ > 0)
                    countError(QStringLiteral("End refused"));
                if (++retries_ > maxRetries)
                    fail(TransferResult::TooManyErrors);
                else
                    send(block_);
                armTimeout(answerWaitMs());
            }
            break;
        case State::WaitEndAck:
            if (c == Xmodem::ACK) {
                finish(batchResult());
            } else if (c == Xmodem::NAK) {
                endAnswered_ = true;
                resend(QStringLiteral("End of batch refused"));
            }
            break;
        default:
            // Streaming: the receiver only speaks to cancel.
            break;
        }
    }
}

void XmodemEngine::onStartChar(char c)
{
    useCrc_ = c != Xmodem::NAK;
    streaming_ = c == Xmodem::STREAM_START;
    retries_ = 0;
    if (!isBatch())
        beginData();
    else if (sendingDone_)
        sendEndOfBatch();
    else
        sendHeader();
}

void XmodemEngine::onSenderTimeout()
{
    if (deferWhileOutputMoves())
        return;
    switch (state_) {
    case State::WaitStart:
        fail(TransferResult::TimedOut);
        break;
    case State::WaitDataStart:
        countError(QStringLiteral("No answer"));
        if (++retries_ > maxRetries)
            fail(TransferResult::TooManyErrors);
        else
            armTimeout(answerTimeoutMs);
        break;
    case State::Streaming:
        break;
    case State::WaitEotAck:
        if (endUnconfirmed())
            fileSent();
        else
            resend(QStringLiteral("No answer"));
        break;
    case State::WaitEndAck:
        if (endUnconfirmed())
            finish(batchResult());
        else
            resend(QStringLiteral("No answer"));
        break;
    default:
        resend(QStringLiteral("No answer"));
        break;
    }
}

void XmodemEngine::sendHeader()
{
    const FileHeader header{outgoing_.name(), outgoing_.size(), outgoing_.modified(), outgoing_.mode()};
    const QByteArray data = header.encode(1, Xmodem::longBlock);
    // 128 bytes when it fits, else 1024.
    const int blockSize = data.size() <= Xmodem::shortBlock ? Xmodem::shortBlock : Xmodem::longBlock;
    block_ = Xmodem::buildBlock(0, data, blockSize, useCrc_, '\0');
    send(block_);
    // A streaming receiver answers block 0 with "G" rather than ACK.
    state_ = streaming_ ? State::WaitDataStart : State::WaitHeaderAck;
    armTimeout(answerTimeoutMs);
}

void XmodemEngine::sendEndOfBatch()
{
    block_ = Xmodem::buildBlock(0, QByteArray(), Xmodem::shortBlock, useCrc_, '\0');
    send(block_);
    if (streaming_) {
        finish(batchResult());
        return;
    }
    state_ = State::WaitEndAck;
    endAnswered_ = false;
    retries_ = 0;
    armTimeout(answerWaitMs());
}

void XmodemEngine::beginData()
{
    blockNumber_ = 1;
    blockOffset_ = 0;
    sentBytes_ = 0;
    retries_ = 0;
    outgoing_.file().seek(0);
    if (streaming_) {
        state_ = State::Streaming;
        stopTimeout();
        fillStream();
    } else if (loadNextBlock()) {
        sendCurrentBlock();
    } else if (!isFinished()) {
        sendEot();
    }
}

bool XmodemEngine::loadNextBlock()
{
    const qint64 remaining = outgoing_.size() - blockOffset_;
    const bool small = type() == ProtocolType::Xmodem || type() == ProtocolType::XmodemCrc;
    // 1K blocks while they save more than they pad.
    const int blockSize = !small && remaining > 896 ? Xmodem::longBlock : Xmodem::shortBlock;
    const QByteArray data = outgoing_.file().read(blockSize);
    if (data.isEmpty()) {
        if (outgoing_.file().error() != QFileDevice::NoError)
            fail(TransferResult::FileNotFound);
        return false;
    }
    blockLength_ = data.size();
    block_ = Xmodem::buildBlock(blockNumber_, data, blockSize, useCrc_);
    status_.blockSize = blockSize;
    return true;
}

void XmodemEngine::sendCurrentBlock()
{
    send(block_);
    state_ = State::WaitBlockAck;
    armTimeout(answerTimeoutMs);
}

void XmodemEngine::blockAcknowledged()
{
    retries_ = 0;
    blockOffset_ += blockLength_;
    sentBytes_ += blockLength_;
    setProgress(sentBytes_);
    ++blockNumber_;
    if (loadNextBlock())
        sendCurrentBlock();
    else if (!isFinished())
        sendEot();
}

void XmodemEngine::fillStream()
{
    while (!isFinished() && state_ == State::Streaming && pendingOutput() < streamWindow) {
        if (!loadNextBlock()) {
            if (!isFinished())
                sendEot();
            return;
        }
        send(block_);
        blockOffset_ += blockLength_;
        sentBytes_ += blockLength_;
        ++blockNumber_;
    }
    setProgress(sentBytes_);
}

int XmodemEngine::answerWaitMs() const
{
    const bool atEnd = state_ == State::WaitEotAck || state_ == State::WaitEndAck;
    return atEnd && !streaming_ ? endAnswerTimeoutMs : answerTimeoutMs;
}

bool XmodemEngine::endUnconfirmed() const
{
    // Every block was acknowledged and the receiver went silent at the end
    // of the file or batch: some receivers exit as they answer, and the
    // answer can be lost as they close the line.
    return !streaming_ && !endAnswered_ && retries_ >= eotResendsUnanswered;
}

void XmodemEngine::sendEot()
{
    block_ = QByteArray(1, Xmodem::EOT);
    send(block_);
    endAnswered_ = false;
    retries_ = 0;
    state_ = State::WaitEotAck;
    armTimeout(answerWaitMs());
}

void XmodemEngine::fileSent()
{
    setProgress(outgoing_.size());
    endFile(TransferResult::Success);
    outgoing_.close();
    if (!isBatch()) {
        finish(batchResult());
        return;
    }
    sendingDone_ = !openNextFile();
    state_ = State::WaitStart;
    armTimeout(answerTimeoutMs);
}

void XmodemEngine::resend(const QString &why)
{
    countError(why);
    if (++retries_ > maxRetries) {
        fail(TransferResult::TooManyErrors);
        return;
    }
    send(block_);
    armTimeout(answerWaitMs());
}
