#include "comms/transfer/xmodem/XmodemEngine.h"

#include "comms/link/ByteLink.h"
#include "comms/transfer/xmodem/XmodemBlock.h"

XmodemEngine::XmodemEngine(const Context &context, QObject *parent)
    : TransferEngine(context, parent)
{ }

XmodemEngine::~XmodemEngine() = default;

bool XmodemEngine::isBatch() const
{
    return type() == ProtocolType::Ymodem || type() == ProtocolType::YmodemG;
}

bool XmodemEngine::isStreamingType() const
{
    return type() == ProtocolType::Xmodem1KG || type() == ProtocolType::YmodemG;
}

void XmodemEngine::cancel()
{
    fail(TransferResult::CancelledLocally);
}

void XmodemEngine::fail(int code)
{
    if (isFinished())
        return;
    cancelRemote();
    finish(code);
}

void XmodemEngine::cancelRemote()
{
    link()->discardOutput();
    send(Xmodem::cancelSequence());
    if (!sending_)
        incoming_.abandon();
}

void XmodemEngine::onReceived(const QByteArray &bytes)
{
    if (sending_)
        onSenderInput(bytes);
    else
        onReceiverInput(bytes);
}

void XmodemEngine::onOutputDrained()
{
    if (state_ == State::Streaming)
        fillStream();
}

void XmodemEngine::onTimeout()
{
    if (sending_)
        onSenderTimeout();
    else
        onReceiverTimeout();
}

void XmodemEngine::onLinkLost()
{
    if (sending_ && state_ == State::WaitEndAck) {
        // Every file was delivered; only the answer to the end of the batch is missing.
        finish(batchResult());
        return;
    }
    if (sending_ && state_ == State::WaitEotAck && !streaming_) {
        // Every block was acknowledged; the receiver left as it answered the end.
        fileSent();
        if (!isFinished())
            TransferEngine::onLinkLost();
        return;
    }
    if (streamEndMayBeLost()) {
        finish(batchResult());
        return;
    }
    if (!sending_)
        incoming_.abandon();
    TransferEngine::onLinkLost();
}
