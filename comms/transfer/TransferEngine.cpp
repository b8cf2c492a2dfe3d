#include "comms/transfer/TransferEngine.h"

#include "comms/link/ByteLink.h"
#include "comms/transfer/TransferHost.h"
#include "shell/Ticks.h"

TransferEngine::TransferEngine(const Context &context, QObject *parent)
    : QObject(parent)
    , context_(context)
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        if (!done_)
            onTimeout();
    });
    connect(context_.link, &ByteLink::received, this, [this](const QByteArray &bytes) {
        if (done_)
            return;
        if (quietWait_ && timeout_.isActive())
            timeout_.start();
        onReceived(bytes);
    });
    connect(context_.link, &ByteLink::outputDrained, this, [this] {
        if (!done_)
            onOutputDrained();
    });
    connect(context_.link, &ByteLink::disconnected, this, [this] {
        if (!done_)
            onLinkLost();
    });
}

TransferEngine::~TransferEngine() = default;

void TransferEngine::feed(const QByteArray &bytes)
{
    if (!done_ && !bytes.isEmpty())
        onReceived(bytes);
}

void TransferEngine::onLinkLost()
{
    if (fileOpen_)
        endFile(TransferResult::CarrierLost);
    finish(TransferResult::CarrierLost);
}

void TransferEngine::send(const QByteArray &bytes)
{
    if (done_)
        return;
    context_.link->send(bytes);
    sentTotal_ += bytes.size();
}

qint64 TransferEngine::pendingOutput() const
{
    return context_.link->pendingOutput();
}

qint64 TransferEngine::outputLeft() const
{
    return sentTotal_ - context_.link->unsentOutput();
}

void TransferEngine::discardOutput()
{
    const qint64 unsent = context_.link->unsentOutput();
    context_.link->discardOutput();
    sentTotal_ -= unsent - context_.link->unsentOutput();
}

void TransferEngine::armTimeout(int ms)
{
    quietWait_ = false;
    timeout_.start(qMax(1, ms));
}

void TransferEngine::armQuietTimeout(int ms)
{
    armTimeout(ms);
    quietWait_ = true;
}

bool TransferEngine::deferWhileOutputMoves()
{
    const qint64 pending = pendingOutput();
    const qint64 written = sentTotal_ - pending;
    const bool moving = pending > 0 && written != writtenAtLastDefer_;
    writtenAtLastDefer_ = written;
    if (moving)
        timeout_.start();
    return moving;
}

void TransferEngine::armTimeoutTicks(int ticks)
{
    armTimeout(static_cast<int>(Ticks::toMs(ticks)));
}

void TransferEngine::stopTimeout()
{
    quietWait_ = false;
    timeout_.stop();
}

void TransferEngine::beginFile(const QString &name, qint64 size, bool sending)
{
    status_.sending = sending;
    status_.fileName = name;
    status_.fileSize = size;
    status_.bytesDone = 0;
    status_.bytesPerSecond = 0;
    status_.lastError.clear();
    fileClock_.start();
    fileOpen_ = true;
}

void TransferEngine::setProgress(qint64 bytesDone)
{
    status_.bytesDone = bytesDone;
    updateRate();
}

void TransferEngine::countError(const QString &what)
{
    ++status_.errorCount;
    status_.lastError = what;
}

void TransferEngine::updateRate()
{
    const qint64 ms = fileClock_.isValid() ? fileClock_.elapsed() : 0;
    status_.bytesPerSecond = ms > 0 ? status_.bytesDone * 1000 / ms : 0;
}

void TransferEngine::endFile(int result)
{
    if (!fileOpen_)
        return;
    fileOpen_ = false;
    updateRate();
    FileOutcome outcome;
    outcome.sending = status_.sending;
    outcome.fileName = status_.fileName;
    outcome.size = status_.fileSize;
    outcome.bytesTransferred = status_.bytesDone;
    outcome.bytesPerSecond = status_.bytesPerSecond;
    outcome.result = result;
    context_.host->fileFinished(outcome);
}

int TransferEngine::openRequestedFile(IncomingFile *file)
{
    IncomingOffer offer;
    offer.remoteName = context_.host->requestedFileName();
    ReceivePolicy policy = context_.host->receivePolicy();
    policy.recover = false; // no sizes or offsets to resume from
    int code = file->open(policy, offer);
    if (code == TransferResult::Success && !context_.host->acceptIncoming(file->finalPath())) {
        file->abandon();
        code = TransferResult::FileRejected;
    }
    beginFile(offer.remoteName, -1, false);
    return code;
}

void TransferEngine::finish(int code)
{
    if (done_)
        return;
    if (fileOpen_)
        endFile(code);
    done_ = true;
    running_ = false;
    timeout_.stop();
    // The line goes back to the terminal, which wants every byte at once.
    context_.link->setGatherInput(false);
    context_.link->setGatherOutput(false);
    disconnect(context_.link, nullptr, this, nullptr);
    emit finished(code);
}
