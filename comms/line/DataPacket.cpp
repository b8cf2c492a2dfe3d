#include "comms/line/DataPacket.h"

#include "comms/line/Comport.h"
#include "shell/Ticks.h"

DataPacket::DataPacket(Comport *port, QObject *parent)
    : QObject(parent)
    , port_(port)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DataPacket::onTimeout);
    connect(port, &Comport::received, this, &DataPacket::feed);
}

void DataPacket::setEnabled(bool on)
{
    enabled_ = on;
    if (on)
        arm();
    else {
        armed_ = false;
        state_ = State::Idle;
        collected_.clear();
        timer_.stop();
    }
}

void DataPacket::arm()
{
    armed_ = true;
    timer_.stop();
    collected_.clear();
    startMatcher_ = TextMatcher(startString_, ignoreCase_);
    endMatcher_ = TextMatcher(endString_, ignoreCase_);
    state_ = startCondition_ == StartCondition::AnyData || startString_.isEmpty() ? State::Collecting
                                                                                  : State::WaitStart;
    recent_.clear();
}

void DataPacket::begin()
{
    state_ = State::Collecting;
    collected_ = includeStrings_ ? recent_ : QByteArray();
    recent_.clear();
    endMatcher_.reset();
    if (timeoutTicks_ > 0)
        timer_.start(static_cast<int>(Ticks::toMs(timeoutTicks_)));
}

void DataPacket::feed(const QByteArray &bytes)
{
    if (!enabled_ || !armed_)
        return;
    QPointer<DataPacket> alive(this);
    for (qsizetype i = 0; i < bytes.size() && alive && enabled_ && armed_; ++i) {
        const char byte = bytes[i];
        if (state_ == State::WaitStart) {
            // The start as it arrived, letter case and all.
            recent_.append(byte);
            if (recent_.size() > startString_.size())
                recent_.remove(0, recent_.size() - startString_.size());
            if (startMatcher_.feed(byte))
                begin();
            continue;
        }
        if (state_ != State::Collecting)
            continue;
        if (collected_.isEmpty() && !timer_.isActive() && timeoutTicks_ > 0)
            timer_.start(static_cast<int>(Ticks::toMs(timeoutTicks_)));
        if (collected_.size() >= maxPacketBytes) {
            arm();
            continue;
        }
        collected_.append(byte);
        if ((endConditions_ & EndString) && !endString_.isEmpty() && endMatcher_.feed(byte)) {
            if (!includeStrings_)
                collected_.chop(endString_.size());
            finish(std::exchange(collected_, {}));
        } else if ((endConditions_ & EndSize) && packetSize_ > 0 && collected_.size() >= packetSize_) {
            finish(std::exchange(collected_, {}));
        }
    }
}

void DataPacket::finish(QByteArray data)
{
    timer_.stop();
    if (autoEnable_)
        arm();
    else {
        armed_ = false;
        state_ = State::Idle;
    }
    emit packet(data);
}

void DataPacket::onTimeout()
{
    if (state_ != State::Collecting)
        return;
    collected_.clear();
    arm();
    emit timedOut();
}
