#include "comms/transfer/TransferHost.h"
#include "comms/transfer/kermit/KermitEngine.h"

namespace {

// Output queued beyond this waits for the link to drain.
constexpr qint64 highWater = 256 * 1024;
constexpr qsizetype readChunk = 256 * 1024;

} // namespace

void KermitEngine::startSend()
{
    markRunning();
    state_ = State::SendInit;
    seq_ = 0;
    sendSingle('S', mine_.encode());
}

void KermitEngine::sendSingle(char type, const QByteArray &data)
{
    singleSeq_ = seq_;
    singleType_ = type;
    singlePacket_
        = Kermit::buildPacket({seq_, type, data}, txCheck_, link_.eol, link_.padCount, link_.padChar);
    seq_ = (seq_ + 1) & 63;
    retries_ = 0;
    send(singlePacket_);
    armPacketTimeout();
}

void KermitEngine::resendSingle()
{
    if (++retries_ > maxRetries_) {
        fail(state_ == State::SendInit ? TransferResult::TimedOut : TransferResult::TooManyErrors,
            "Too many retries");
        return;
    }
    countError(QStringLiteral("Resending packet %1").arg(singleSeq_));
    send(singlePacket_);
    armPacketTimeout();
}

void KermitEngine::senderPacket(const Kermit::Packet &packet)
{
    if (state_ == State::SendData) {
        if (packet.type == 'Y')
            dataAcked(packet.seq, packet.data);
        else if (packet.type == 'N' && link_.streaming)
            fail(TransferResult::ProtocolError, "Transmission error while streaming");
        else if (packet.type == 'N')
            resendData(packet.seq);
        return;
    }
    const bool acked = (packet.type == 'Y' && packet.seq == singleSeq_)
        || (packet.type == 'N' && packet.seq == ((singleSeq_ + 1) & 63));
    if (!acked) {
        if (packet.type == 'N' && packet.seq == singleSeq_)
            resendSingle();
        return;
    }
    const QByteArray data = packet.type == 'Y' ? packet.data : QByteArray();
    switch (state_) {
    case State::SendInit:
        applyLink(KermitParams::decode(data));
        startNextFile();
        break;
    case State::SendFile:
        if (link_.attributes) {
            KermitAttributes attributes;
            attributes.size = outgoing_.size();
            attributes.modified = outgoing_.modified();
            state_ = State::SendAttributes;
            sendSingle('A', attributes.encode());
        } else {
            startData();
        }
        break;
    case State::SendAttributes:
        if (data.startsWith('N')) {
            fileResult_ = TransferResult::FileRejected;
            sendEof(true);
        } else {
            startData();
        }
        break;
    case State::SendEof:
        outgoing_.close();
        setProgress(bytesSent_);
        endFile(fileResult_);
        noteFileResult(fileResult_);
        if (stopBatch_) {
            state_ = State::SendBreak;
            sendSingle('B', {});
        } else {
            startNextFile();
        }
        break;
    case State::SendBreak:
        finish(stopBatch_ ? TransferResult::CancelledByRemote : batchResult());
        break;
    default:
        break;
    }
}

void KermitEngine::startNextFile()
{
    const QString path = host()->nextFileToSend();
    if (path.isEmpty()) {
        state_ = State::SendBreak;
        sendSingle('B', {});
        return;
    }
    if (outgoing_.open(path, options().includeDirectory) != TransferResult::Success) {
        fail(TransferResult::FileNotFound, "File not found");
        return;
    }
    beginFile(outgoing_.name(), outgoing_.size(), true);
    bytesSent_ = 0;
    fileResult_ = TransferResult::Success;
    discardFile_ = false;
    const QByteArray name = outgoing_.name().toUtf8();
    QByteArray encoded;
    encoder_.encode(
        name.constData(), name.size(), Kermit::maxDataLength(link_.sendMaxLength, link_.checkType), encoded);
    state_ = State::SendFile;
    sendSingle('F', encoded);
}

void KermitEngine::startData()
{
    readBuffer_.clear();
    readPos_ = 0;
    fileEnded_ = false;
    windowBase_ = seq_;
    slots_.fill(Slot());
    retries_ = 0;
    state_ = State::SendData;
    fillWindow();
}

void KermitEngine::fillWindow()
{
    if (state_ != State::SendData || isFinished() || cancelling_)
        return;
    const int maxData = Kermit::maxDataLength(link_.sendMaxLength, link_.checkType);
    bool sent = false;
    while (!fileEnded_ && !discardFile_) {
        if (!link_.streaming && seqDistance(windowBase_, seq_) >= link_.windowSize)
            break;
        if (pendingOutput() > highWater)
            break;
        if (readBuffer_.size() - readPos_ < maxData) {
            readBuffer_.remove(0, readPos_);
            readPos_ = 0;
            const qsizetype have = readBuffer_.size();
            readBuffer_.resize(have + readChunk);
            const qint64 got = outgoing_.file().read(readBuffer_.data() + have, readChunk);
            if (got < 0) {
                fail(TransferResult::FileNotFound, "Cannot read the file");
                return;
            }
            readBuffer_.resize(have + got);
        }
        if (readPos_ >= readBuffer_.size()) {
            fileEnded_ = true;
            break;
        }
        QByteArray data;
        const qsizetype used = encoder_.encode(
            readBuffer_.constData() + readPos_, readBuffer_.size() - readPos_, maxData, data);
        readPos_ += used;
        bytesSent_ += used;
        const QByteArray packet
            = Kermit::buildPacket({seq_, 'D', data}, txCheck_, link_.eol, link_.padCount, link_.padChar);
        if (!link_.streaming)
            slots_[seq_] = Slot{packet, 'D', true, false};
        send(packet);
        seq_ = (seq_ + 1) & 63;
        sent = true;
    }
    setProgress(bytesSent_);
    const bool drained = link_.streaming || windowBase_ == seq_;
    if ((fileEnded_ || discardFile_) && drained)
        sendEof(discardFile_);
    else if (sent && !link_.streaming)
        armPacketTimeout();
}

void KermitEngine::dataAcked(int seq, const QByteArray &data)
{
    if (!data.isEmpty() && (data[0] == 'X' || data[0] == 'Z')) {
        remoteInterrupt(data[0]);
        return;
    }
    if (link_.streaming)
        return;
    const int outstanding = seqDistance(windowBase_, seq_);
    if (seqDistance(windowBase_, seq) >= outstanding)
        return;
    slots_[seq].acked = true;
    bool moved = false;
    while (windowBase_ != seq_ && slots_[windowBase_].acked) {
        slots_[windowBase_] = Slot();
        windowBase_ = (windowBase_ + 1) & 63;
        moved = true;
    }
    if (moved) {
        retries_ = 0;
        armPacketTimeout();
    }
    fillWindow();
}

void KermitEngine::resendData(int seq)
{
    const int outstanding = seqDistance(windowBase_, seq_);
    const int d = seqDistance(windowBase_, seq);
    if (d == outstanding && outstanding > 0) {
        // A NAK for the next packet acknowledges everything before it.
        for (int i = 0; i < outstanding; ++i)
            slots_[(windowBase_ + i) & 63] = Slot();
        windowBase_ = seq_;
        retries_ = 0;
        fillWindow();
        return;
    }
    if (d >= outstanding || !slots_[seq].used || slots_[seq].acked)
        return;
    if (++retries_ > maxRetries_) {
        fail(TransferResult::TooManyErrors, "Too many retries");
        return;
    }
    countError(QStringLiteral("Resending packet %1").arg(seq));
    send(slots_[seq].bytes);
    armPacketTimeout();
}

void KermitEngine::remoteInterrupt(char what)
{
    discardFile_ = true;
    fileResult_ = TransferResult::Skipped;
    if (what == 'Z') {
        stopBatch_ = true;
        fileResult_ = TransferResult::CancelledByRemote;
    }
    slots_.fill(Slot());
    windowBase_ = seq_;
    sendEof(true);
}

void KermitEngine::sendEof(bool discard)
{
    state_ = State::SendEof;
    sendSingle('Z', discard ? QByteArray("D") : QByteArray());
}

void KermitEngine::senderTimeout()
{
    if (state_ != State::SendData) {
        resendSingle();
        return;
    }
    if (link_.streaming || windowBase_ == seq_)
        return;
    countError(QStringLiteral("Timed out"));
    if (++retries_ > maxRetries_) {
        fail(TransferResult::TooManyErrors, "Too many retries");
        return;
    }
    send(slots_[windowBase_].bytes);
    armPacketTimeout();
}
