#include "comms/events/NestedLoop.h"
#include "comms/line/Comport.h"
#include "comms/line/LineDevice.h"

// Reading the device into the input buffer, and the input claim.

// ---- input ----

QByteArray Comport::pull(qint64 budget)
{
    if (!device_ || budget <= 0)
        return {};
    QByteArray bytes = device_->read(budget);
    if (bytes.isEmpty())
        return bytes;
    log_.record(PortRecorder::Direction::Received, bytes);
    trace_.record(PortRecorder::Direction::Received, bytes);
    if (waiter_ && !waiter_->matched && waiter_->matcher.findIn(bytes) >= 0) {
        waiter_->matched = true;
        if (waiter_->loop)
            waiter_->loop->quit();
    }
    queuedInput_ += bytes.size();
    queue_.push_back({EventType::Data, {}, 0, bytes, {}});
    return bytes;
}

qint64 Comport::inputRoom() const
{
    if (events_.data.holds(HandlerStage::Claim))
        return bufferSize;
    const qint64 waiting = input_.size() + queuedInput_;
    return waiting >= bufferFull_ ? 0 : bufferSize - waiting;
}

void Comport::readDevice()
{
    // Reading stops while the buffer is over its full level, so the device
    // (and through it the sender) holds data back instead of losing it.
    while (device_ && device_->hasInput()) {
        if (inputRoom() <= 0) {
            readingStopped_ = true;
            break;
        }
        if (pull(inputRoom()).isEmpty())
            break;
    }
    dispatch();
}

void Comport::inputConsumed()
{
    if (readingStopped_ && input_.size() + queuedInput_ <= bufferResume_) {
        readingStopped_ = false;
        QMetaObject::invokeMethod(this, &Comport::readDevice, Qt::QueuedConnection);
    }
}

int Comport::getChar()
{
    if (input_.isEmpty())
        return -1;
    const auto byte = static_cast<unsigned char>(input_.front());
    input_.remove(0, 1);
    inputConsumed();
    return byte;
}

int Comport::peekChar(qint64 n) const
{
    if (n < 1 || n > input_.size())
        return -1;
    return static_cast<unsigned char>(input_.at(n - 1));
}

QByteArray Comport::getBlock(qint64 maxBytes)
{
    const QByteArray bytes = input_.left(qMax<qint64>(0, maxBytes));
    input_.remove(0, bytes.size());
    inputConsumed();
    return bytes;
}

void Comport::flushInBuffer()
{
    input_.clear();
    inputConsumed();
}

HandlerToken Comport::claimInput(InputClaim claim)
{
    const HandlerToken token
        = events_.data.add(HandlerStage::Claim, [claim](const QByteArray &bytes, qint64) {
              claim(bytes);
              return true;
          });
    if (!token) {
        fail(ComportCode::InputClaimed, tr("The input is already claimed by another transfer"));
        return 0;
    }
    // Bytes not yet read by anyone belong to the new owner, ahead of newer ones.
    QMetaObject::invokeMethod(this, &Comport::readDevice, Qt::QueuedConnection);
    return token;
}

void Comport::releaseInput(HandlerToken token)
{
    events_.data.remove(token);
}

void Comport::returnInput(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    queuedInput_ += bytes.size();
    queue_.push_front({EventType::Data, TriggerKind::Data, returnedInput, bytes, {}});
    scheduleDispatch();
}

void Comport::deliverReturned(const QByteArray &bytes)
{
    input_.append(bytes);
    events_.data.dispatchStages(HandlerStage::Waits, HandlerStage::Watchers, bytes, input_.size());
}

void Comport::handInUnread()
{
    if (input_.isEmpty() || !events_.data.holds(HandlerStage::Claim))
        return;
    const QByteArray unread = std::exchange(input_, {});
    inputConsumed();
    events_.data.dispatchStages(HandlerStage::Claim, HandlerStage::Claim, unread, 0);
}
