// Receiving side of AsciiEngine.

#include "comms/transfer/ascii/AsciiEngine.h"

void AsciiEngine::startReceive()
{
    sending_ = false;
    markRunning();
    const int code = openRequestedFile(&incoming_);
    if (code != TransferResult::Success) {
        finish(code);
        return;
    }
    armTimeoutTicks(qMax(options().handshakeWaitTicks, options().asciiEofTimeoutTicks));
}

void AsciiEngine::onReceived(const QByteArray &bytes)
{
    if (sending_)
        return; // an ASCII send does not listen
    const int code = incoming_.write(translator_.translated(bytes));
    if (code != TransferResult::Success) {
        fail(code);
        return;
    }
    received_ += bytes.size();
    setProgress(received_);
    armTimeoutTicks(options().asciiEofTimeoutTicks);
}

void AsciiEngine::onTimeout()
{
    if (sending_)
        return;
    if (received_ == 0) {
        fail(TransferResult::TimedOut);
        return;
    }
    const int code = incoming_.finish();
    finish(code);
}
