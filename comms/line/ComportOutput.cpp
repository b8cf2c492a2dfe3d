#include "comms/events/NestedLoop.h"
#include "comms/line/Comport.h"
#include "comms/line/LineDevice.h"
#include "shell/Ticks.h"

// The output queue and the break state.

namespace {

// Most bytes handed to the device at once; the rest waits in the port's own
// queue, where a flush can still reach it.
constexpr qint64 deviceChunk = 4096;

} // namespace

// ---- output ----

bool Comport::putString(const QString &text)
{
    return putBlock(text.toLatin1());
}

bool Comport::putBlock(const QByteArray &bytes)
{
    if (isOpen() && outBuffUsed() >= bufferSize)
        return fail(ComportCode::OutputFull, tr("The output buffer is full: the other side is not reading"));
    return queueBlock(bytes);
}

bool Comport::queueBlock(const QByteArray &bytes)
{
    if (!requireOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    log_.record(PortRecorder::Direction::Sent, bytes);
    trace_.record(PortRecorder::Direction::Sent, bytes);
    output_.append(bytes);
    emit sent(bytes);
    pumpOutput();
    return true;
}

qint64 Comport::outBuffUsed() const
{
    return output_.size() - outputHead_ + (device_ ? device_->bytesToWrite() : 0);
}

void Comport::clearOutput()
{
    output_.clear();
    outputHead_ = 0;
}

void Comport::pumpOutput()
{
    if (!device_ || inBreak() || outputHead_ == output_.size())
        return;
    const qint64 room = deviceChunk - device_->bytesToWrite();
    if (room <= 0)
        return;
    const QByteArray chunk = output_.mid(outputHead_, room);
    outputHead_ += chunk.size();
    // The sent part is dropped when it is all gone or outweighs the rest,
    // so a large block is not copied again for every chunk.
    if (outputHead_ == output_.size())
        clearOutput();
    else if (outputHead_ > output_.size() / 2) {
        output_.remove(0, outputHead_);
        outputHead_ = 0;
    }
    device_->write(chunk);
}

void Comport::onBytesWritten()
{
    pumpOutput();
    checkOutputFree();
}

void Comport::checkOutputFree()
{
    for (int handle : triggers_.outputFree(outBuffFree()))
        post({EventType::OutputFree, TriggerKind::Status, handle, {}, {}}, true);
    if (outBuffUsed() == 0)
        post({EventType::Drained, {}, 0, {}, {}}, true);
}

void Comport::flushOutBuffer()
{
    clearOutput();
    if (device_)
        device_->discardOutput();
    QMetaObject::invokeMethod(this, &Comport::checkOutputFree, Qt::QueuedConnection);
}

// ---- break ----

bool Comport::sendBreak(qint64 ticks, bool yield)
{
    if (!requireOpen())
        return false;
    if (!device_->setBreak(true))
        return fail(ComportCode::Unsupported, device_->lastError());
    log_.note(QStringLiteral("Break for %1 ticks").arg(ticks));
    breakTimer_.start(static_cast<int>(qMax<qint64>(1, Ticks::toMs(ticks))));
    if (yield) {
        NestedLoop loop(this);
        loop.quitOn(&breakTimer_, &QTimer::timeout);
        loop.quitOn(this, &Comport::openChanged);
        loop.run(-1);
    }
    return true;
}

void Comport::releaseBreak()
{
    if (device_)
        device_->setBreak(false);
    pumpOutput();
}
