#include "comms/transfer/TransferHost.h"
#include "comms/transfer/kermit/KermitEngine.h"

void KermitEngine::startReceive()
{
    markRunning();
    state_ = State::ReceiveInit;
    expected_ = 0;
    armPacketTimeout();
}

void KermitEngine::receiverPacket(const Kermit::Packet &packet)
{
    if (packet.type == 'S') {
        // A repeated Send-Init means our answer was lost; it goes with check type 1.
        if (state_ == State::ReceiveInit) {
            const QByteArray params = onSendInit(packet.data);
            singlePacket_
                = Kermit::buildPacket({packet.seq, 'Y', params}, 1, link_.eol, link_.padCount, link_.padChar);
            expected_ = (packet.seq + 1) & 63;
            state_ = State::Receiving;
        }
        if (expected_ == ((packet.seq + 1) & 63))
            send(singlePacket_);
        retries_ = 0;
        armPacketTimeout();
        return;
    }
    if (state_ != State::Receiving)
        return;
    if (streamBroken_) {
        fail(TransferResult::ProtocolError, "Transmission error while streaming");
        return;
    }

    const int window = link_.streaming ? 1 : link_.windowSize;
    const int d = seqDistance(expected_, packet.seq);
    if (d == 0) {
        inStreamedData_ = link_.streaming && packet.type == 'D';
        bool stop = false;
        const QByteArray ack = processInOrder(packet, &stop);
        if (isFinished())
            return;
        if (!(link_.streaming && packet.type == 'D'))
            sendAck(packet.seq, ack);
        if (stop) {
            finish(batchResult());
            return;
        }
        expected_ = (expected_ + 1) & 63;
        while (slots_[expected_].used && !isFinished()) {
            const Kermit::Packet held{expected_, slots_[expected_].type, slots_[expected_].bytes};
            slots_[expected_] = Slot();
            processInOrder(held, &stop);
            if (stop) {
                finish(batchResult());
                return;
            }
            expected_ = (expected_ + 1) & 63;
        }
        retries_ = 0;
        armPacketTimeout();
    } else if (d < window) {
        slots_[packet.seq].used = true;
        slots_[packet.seq].type = packet.type;
        slots_[packet.seq].bytes = packet.data;
        sendAck(packet.seq);
        for (int k = expected_; k != packet.seq; k = (k + 1) & 63) {
            if (!slots_[k].used && !slots_[k].acked) {
                slots_[k].acked = true; // NAKed once; timeouts repeat it
                sendNak(k);
            }
        }
    } else if (d >= 64 - window) {
        if (!(link_.streaming && packet.type == 'D'))
            sendAck(packet.seq);
    } else if (link_.streaming) {
        fail(TransferResult::ProtocolError, "Packet lost while streaming");
    }
}

void KermitEngine::receiverBadPacket()
{
    inStreamedData_ = false;
    if (state_ == State::Receiving && link_.streaming) {
        // Data is lost and cannot be asked for again. Wait briefly: an error
        // packet may follow when the sender cut its stream short to cancel.
        streamBroken_ = true;
        countError(QStringLiteral("Bad packet while streaming"));
        armPacketTimeout();
        return;
    }
    countError(QStringLiteral("Bad packet"));
    if (++retries_ > maxRetries_) {
        fail(TransferResult::TooManyErrors, "Too many errors");
        return;
    }
    sendNak(expected_);
}

void KermitEngine::receiverTimeout()
{
    if (streamBroken_) {
        fail(TransferResult::ProtocolError, "Transmission error while streaming");
        return;
    }
    if (++retries_ > maxRetries_) {
        fail(state_ == State::ReceiveInit ? TransferResult::TimedOut : TransferResult::TooManyErrors,
            "Timed out");
        return;
    }
    if (state_ == State::Receiving)
        countError(QStringLiteral("Timed out"));
    sendNak(expected_);
    armPacketTimeout();
}

QByteArray KermitEngine::onSendInit(const QByteArray &data)
{
    applyLink(KermitParams::decode(data));
    return mine_.encode();
}

QByteArray KermitEngine::processInOrder(const Kermit::Packet &packet, bool *stop)
{
    switch (packet.type) {
    case 'F':
        onFileHeader(packet.data);
        return {};
    case 'A':
        return onAttributes(packet.data);
    case 'D':
        return onData(packet.data);
    case 'Z':
        onEof(packet.data);
        return {};
    case 'B':
        *stop = true;
        return {};
    case 'X':
        return {};
    default:
        fail(TransferResult::ProtocolError, "Unimplemented packet type");
        *stop = true;
        return {};
    }
}

void KermitEngine::onFileHeader(const QByteArray &data)
{
    QByteArray name;
    if (!decoder_.decode(data, name))
        name = data;
    incoming_.abandon();
    offer_ = IncomingOffer();
    offer_.remoteName = IncomingFile::decodeRemoteName(name);
    // Kermit's common form sends names in upper case; a name with no lower
    // case letters is taken back to lower case, as Unix Kermits do.
    if (offer_.remoteName == offer_.remoteName.toUpper())
        offer_.remoteName = offer_.remoteName.toLower();
    attributes_ = KermitAttributes();
    haveAttributes_ = false;
    refused_ = false;
    pendingCr_ = false;
    fileResult_ = TransferResult::Success;
    beginFile(offer_.remoteName, -1, false);
}

QByteArray KermitEngine::onAttributes(const QByteArray &data)
{
    attributes_ = KermitAttributes::decode(data);
    haveAttributes_ = true;
    offer_.size = attributes_.size;
    offer_.modified = attributes_.modified;
    status_.fileSize = attributes_.size;
    const char disposition = attributes_.disposition;
    if (disposition && disposition != 'N' && disposition != 'S' && disposition != 'A') {
        refused_ = true;
        fileResult_ = TransferResult::FileRejected;
        return "N+";
    }
    return openIncoming() ? QByteArray("Y") : QByteArray("N+");
}

bool KermitEngine::openIncoming()
{
    ReceivePolicy policy = host()->receivePolicy();
    policy.recover = false; // Kermit has no resume here: a partial would be appended to
    if (attributes_.disposition == 'A') {
        policy.zmodemManagement = true;
        policy.zmodemOption = ZmodemFileOption::Append;
        policy.skipNoFile = false;
    }
    const int rc = incoming_.open(policy, offer_);
    if (rc != TransferResult::Success) {
        refused_ = true;
        fileResult_ = rc;
        return false;
    }
    if (!host()->acceptIncoming(incoming_.finalPath())) {
        incoming_.abandon();
        refused_ = true;
        fileResult_ = TransferResult::FileRejected;
        return false;
    }
    return true;
}

QByteArray KermitEngine::onData(const QByteArray &data)
{
    if (refused_)
        return "X";
    if (!incoming_.isOpen() && !openIncoming())
        return "X";
    decoded_.resize(0); // keeps the allocation for the next packet
    if (!decoder_.decode(data, decoded_)) {
        fail(TransferResult::ProtocolError, "Bad data encoding");
        return {};
    }
    if (attributes_.text) {
        // Text: CR LF on the line becomes LF here.
        QByteArray text;
        text.reserve(decoded_.size() + 1);
        for (const char c : std::as_const(decoded_)) {
            if (pendingCr_ && c != '\n')
                text.append('\r');
            pendingCr_ = c == '\r';
            if (!pendingCr_)
                text.append(c);
        }
        decoded_.swap(text);
    }
    const int rc = incoming_.write(decoded_);
    if (rc != TransferResult::Success) {
        fail(rc, "Cannot write the file");
        return {};
    }
    setProgress(incoming_.bytesWritten());
    return {};
}

void KermitEngine::onEof(const QByteArray &data)
{
    int result = fileResult_;
    if (data.startsWith('D')) {
        incoming_.abandon();
        if (result == TransferResult::Success)
            result = TransferResult::Skipped;
    } else if (!refused_ && (incoming_.isOpen() || openIncoming())) {
        if (pendingCr_)
            incoming_.write("\r", 1);
        const bool sizeKnown = !attributes_.text && attributes_.exactSize;
        if (sizeKnown && incoming_.bytesWritten() != attributes_.size) {
            incoming_.abandon();
            result = TransferResult::ProtocolError;
        } else {
            result = incoming_.finish();
        }
    } else {
        result = fileResult_;
    }
    endFile(result);
    noteFileResult(result);
}
