#include "comms/transfer/ascii/AsciiEngine.h"

#include "comms/link/ByteLink.h"

AsciiEngine::AsciiEngine(const Context &context, QObject *parent)
    : TransferEngine(context, parent)
    , translator_(context.options.asciiCr, context.options.asciiLf)
{
    pace_.setSingleShot(true);
    pace_.setTimerType(Qt::PreciseTimer);
    connect(&pace_, &QTimer::timeout, this, [this] {
        if (!isFinished())
            pump();
    });
}

AsciiEngine::~AsciiEngine() = default;

void AsciiEngine::cancel()
{
    fail(TransferResult::CancelledLocally);
}

void AsciiEngine::fail(int code)
{
    if (isFinished())
        return;
    pace_.stop();
    if (sending_) {
        link()->discardOutput();
    } else if ((code == TransferResult::CancelledLocally || code == TransferResult::CarrierLost)
        && received_ > 0) {
        // ASCII has no end marker: a hang-up or a cancel is how a capture
        // ends, and what arrived is kept.
        incoming_.finish();
    } else {
        incoming_.abandon();
    }
    finish(code);
}

void AsciiEngine::onLinkLost()
{
    fail(TransferResult::CarrierLost);
}
