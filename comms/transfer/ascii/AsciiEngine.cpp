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
    if (sending_)
        link()->discardOutput();
    else
        incoming_.abandon();
    finish(code);
}

void AsciiEngine::onLinkLost()
{
    fail(TransferResult::CarrierLost);
}
