#include "comms/transfer/bplus/BPlusEngine.h"

#include "comms/transfer/bplus/BPlusTransferPackets.h"

using namespace BPlus;

namespace {

constexpr int failureAckMs = 3000;
constexpr int failureTries = 2;
constexpr int historyKept = maxSendAhead + 1;

QByteArray ackBytes(int seq)
{
    const char ack[] = {DLE, static_cast<char>('0' + seq)};
    return QByteArray(ack, sizeof ack);
}

} // namespace

BPlusEngine::BPlusEngine(const Context &context, QObject *parent)
    : TransferEngine(context, parent)
{ }

void BPlusEngine::cancel()
{
    if (isFinished())
        return;
    failWith(TransferResult::CancelledLocally, QStringLiteral("Cancelled by the user"), 'A');
}

void BPlusEngine::sendPacket(char type, const QByteArray &body, qint64 progressMark)
{
    counter_ = (counter_ + 1) % 10;
    Sent sent{counter_, encodePacket(counter_, type, body, session_.encoding()), progressMark};
    send(sent.wire);
    outstanding_.push_back(std::move(sent));
    expecting_ = false;
    armAck();
}

bool BPlusEngine::canSend() const
{
    return !failing_ && !resyncing_ && !isFinished()
        && static_cast<int>(outstanding_.size()) <= session_.sendAhead;
}

void BPlusEngine::acknowledge()
{
    send(ackBytes(lastReceived_));
}

void BPlusEngine::restartSequence()
{
    counter_ = 0;
    lastReceived_ = 0;
    outstanding_.clear();
    history_.clear();
    resyncing_ = false;
    nakSent_ = false;
    retries_ = 0;
    parser_.reset();
}

void BPlusEngine::applySession(const Session &session)
{
    session_ = session;
    parser_.setCrc(session.crc);
}

void BPlusEngine::expectPacket()
{
    expecting_ = true;
    handshake_ = false;
    armTimeout(ackTimeoutMs);
}

void BPlusEngine::awaitHandshake(int ms)
{
    expecting_ = true;
    handshake_ = true;
    armTimeout(ms);
}

void BPlusEngine::armAck()
{
    armTimeout(failing_ ? failureAckMs : ackTimeoutMs);
}

void BPlusEngine::failWith(int code, const QString &text, char failure)
{
    if (failing_ || isFinished())
        return;
    status_.lastError = text;
    failing_ = true;
    failCode_ = code;
    outstanding_.clear();
    resyncing_ = false;
    retries_ = 0;
    counter_ = (counter_ + 1) % 10;
    failSeq_ = counter_;
    failWire_ = encodePacket(
        failSeq_, 'F', encodeFailure(failure ? failure : failureForResult(code), text), session_.encoding());
    send(failWire_);
    armAck();
}

void BPlusEngine::endWith(int code)
{
    if (isFinished())
        return;
    closeFiles(code);
    finish(code);
}

void BPlusEngine::onReceived(const QByteArray &bytes)
{
    // A packet still coming in on a slow line is not a silent line.
    if (expecting_ && !handshake_ && outstanding_.empty() && !resyncing_ && !failing_)
        armTimeout(ackTimeoutMs);
    QList<Event> events;
    parser_.feed(bytes, events);
    for (const Event &event : events) {
        if (isFinished())
            return;
        handle(event);
    }
}

void BPlusEngine::onOutputDrained()
{
    // Time the acknowledgement from when the bytes have left, not from when
    // they were queued: a slow line is not a silent one.
    if (!outstanding_.empty() || resyncing_ || failing_)
        armAck();
}

void BPlusEngine::handle(const Event &event)
{
    switch (event.kind) {
    case Event::Packet:
        handlePacket(event);
        break;
    case Event::BadPacket:
        if (failing_)
            break;
        countError(QStringLiteral("Damaged packet"));
        if (outstanding_.empty() && expecting_ && !nakSent_) {
            countFailure(QStringLiteral("Damaged packet"));
            if (!isFinished())
                sendNak();
        }
        break;
    case Event::Ack:
        handleAck(event.seq);
        break;
    case Event::Enquiry:
        handleEnquiry();
        break;
    case Event::NegativeAck:
        if (!outstanding_.empty() && !failing_ && !resyncing_) {
            countError(QStringLiteral("Negative acknowledgement"));
            startResync();
        }
        break;
    case Event::Wait:
        if (!outstanding_.empty() || failing_ || resyncing_)
            armAck();
        break;
    case Event::EnquiryReply:
        onEnquiryReply();
        break;
    case Event::PanicAbort:
        status_.lastError = QStringLiteral("Aborted by the other side");
        endWith(TransferResult::CancelledByRemote);
        break;
    case Event::Interrogation:
        onInterrogation();
        break;
    }
}

void BPlusEngine::handlePacket(const Event &event)
{
    if (failing_)
        return; // only the acknowledgement of our failure packet matters now
    if (event.type == 'F') {
        send(ackBytes(event.seq));
        status_.lastError = failureText(event.body);
        endWith(resultForFailure(event.body.isEmpty() ? 'E' : event.body[0]));
        return;
    }
    const int expected = (counter_ + 1) % 10;
    const int behind = (lastReceived_ - event.seq + 10) % 10;
    const bool old = behind <= maxSendAhead + 1;
    if (!outstanding_.empty()) {
        if (event.seq != expected)
            return; // a repeat: our packet in flight answers it
        // A packet in reply acknowledges everything we had in flight.
        if (outstanding_.back().mark >= 0)
            ackedMark_ = outstanding_.back().mark;
        outstanding_.clear();
        resyncing_ = false;
    } else if (event.seq != expected) {
        if (old) {
            acknowledge();
            return;
        }
        countError(QStringLiteral("Packet out of sequence"));
        if (!nakSent_) {
            countFailure(QStringLiteral("Packet out of sequence"));
            if (!isFinished())
                sendNak();
        }
        return;
    }
    counter_ = lastReceived_ = event.seq;
    history_.clear();
    nakSent_ = false;
    retries_ = 0;
    expecting_ = false;
    handshake_ = false;
    stopTimeout();
    onPacket(event.type, event.body);
}

void BPlusEngine::handleAck(int seq)
{
    if (failing_) {
        if (seq == failSeq_)
            endWith(failCode_);
        return;
    }
    if (resyncing_) {
        resyncAnswer(seq);
        return;
    }
    auto it = std::find_if(
        outstanding_.begin(), outstanding_.end(), [seq](const Sent &s) { return s.seq == seq; });
    if (it == outstanding_.end())
        return; // stale or damaged
    for (auto done = outstanding_.begin(); done != std::next(it); ++done) {
        if (done->mark >= 0)
            ackedMark_ = done->mark;
        history_.push_back(std::move(*done));
    }
    outstanding_.erase(outstanding_.begin(), std::next(it));
    while (static_cast<int>(history_.size()) > historyKept)
        history_.pop_front();
    retries_ = 0;
    if (outstanding_.empty()) {
        stopTimeout();
        onAllAcknowledged();
    } else {
        armAck();
    }
    if (!isFinished() && canSend())
        onWindowOpen();
}

void BPlusEngine::handleEnquiry()
{
    if (failing_) {
        send(failWire_);
        return;
    }
    nakSent_ = false;
    if (!outstanding_.empty()) {
        // The other side waits for an answer to its packet: ours in flight is it.
        retransmitOutstanding();
        return;
    }
    if (onIdleEnquiry())
        return;
    acknowledge();
}

void BPlusEngine::startResync()
{
    // Ask twice and trust an answer only when it comes twice the same: a
    // damaged digit must not acknowledge a packet that never arrived.
    resyncing_ = true;
    resyncFirst_ = -1;
    send(QByteArray(1, ENQ));
    armAck();
}

void BPlusEngine::resyncAnswer(int seq)
{
    if (resyncFirst_ != seq) {
        resyncFirst_ = seq;
        send(QByteArray(1, ENQ));
        armAck();
        return;
    }
    resyncing_ = false;
    resyncFirst_ = -1;
    const auto matches = [seq](const Sent &s) { return s.seq == seq; };
    auto sent = std::find_if(outstanding_.begin(), outstanding_.end(), matches);
    auto kept = std::find_if(history_.begin(), history_.end(), matches);
    if (sent != outstanding_.end()) {
        for (auto done = outstanding_.begin(); done != std::next(sent); ++done) {
            if (done->mark >= 0)
                ackedMark_ = done->mark;
            history_.push_back(std::move(*done));
        }
        outstanding_.erase(outstanding_.begin(), std::next(sent));
        while (static_cast<int>(history_.size()) > historyKept)
            history_.pop_front();
    } else if (kept != history_.end()) {
        // Packets we took as acknowledged never arrived: send them again.
        for (auto back = history_.end(); back != std::next(kept);) {
            --back;
            outstanding_.push_front(std::move(*back));
        }
        history_.erase(std::next(kept), history_.end());
        ackedMark_ = kept->mark >= 0 ? kept->mark : ackedMark_;
    } else if (outstanding_.empty() || seq != (outstanding_.front().seq + 9) % 10) {
        failWith(TransferResult::ProtocolError, QStringLiteral("Sequence lost"), 'S');
        return;
    }
    retries_ = 0;
    if (outstanding_.empty()) {
        stopTimeout();
        onAllAcknowledged();
    } else {
        retransmitOutstanding();
    }
    if (!isFinished() && canSend())
        onWindowOpen();
}

void BPlusEngine::retransmitOutstanding()
{
    for (const Sent &sent : outstanding_)
        send(sent.wire);
    armAck();
}

void BPlusEngine::countFailure(const QString &what)
{
    if (++retries_ <= maxRetries)
        return;
    send(encodePacket((counter_ + 1) % 10, 'F', encodeFailure('E', QStringLiteral("Too many errors")),
        session_.encoding()));
    status_.lastError = what;
    endWith(TransferResult::TooManyErrors);
}

void BPlusEngine::sendNak()
{
    send(QByteArray(1, NAK));
    nakSent_ = true;
    armTimeout(ackTimeoutMs);
}

void BPlusEngine::onTimeout()
{
    if (failing_) {
        if (++retries_ >= failureTries) {
            endWith(failCode_);
            return;
        }
        send(failWire_);
        armAck();
        return;
    }
    if (deferWhileOutputMoves())
        return;
    if (!outstanding_.empty() || resyncing_) {
        countError(QStringLiteral("No acknowledgement"));
        countFailure(QStringLiteral("No acknowledgement"));
        if (!isFinished())
            startResync();
        return;
    }
    if (!expecting_)
        return;
    if (handshake_) {
        onHandshakeTimeout();
        return;
    }
    countError(QStringLiteral("Time-out waiting for a packet"));
    countFailure(QStringLiteral("Time-out waiting for a packet"));
    if (isFinished())
        return;
    parser_.reset();
    sendNak();
}
