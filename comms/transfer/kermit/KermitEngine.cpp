#include "comms/transfer/kermit/KermitEngine.h"

#include "comms/link/ByteLink.h"

namespace {

constexpr int cancelGraceMs = 1000;

} // namespace

KermitEngine::KermitEngine(const Context &context, QObject *parent)
    : TransferEngine(context, parent)
{
    const ProtocolOptions &o = options();
    mine_.maxLength = o.kermitMaxLen > 0 ? qBound(20, o.kermitMaxLen, Kermit::MaxExtendedLength) : 80;
    mine_.timeoutSecs = o.kermitTimeoutSecs > 0 ? qMin(o.kermitTimeoutSecs, 94) : 5;
    mine_.padChar = static_cast<char>(o.kermitPadChar);
    mine_.qbin = 'Y';
    mine_.checkType = 3;
    mine_.rept = '~';
    mine_.longPackets = mine_.maxLength > 94;
    mine_.windows = o.kermitMaxWindows > 0;
    mine_.windowSize = qBound(1, o.kermitMaxWindows, 27);
    mine_.attributes = true;
    mine_.streaming = o.kermitStreaming;
}

KermitEngine::~KermitEngine() = default;

void KermitEngine::sendPacket(int seq, char type, const QByteArray &data)
{
    send(Kermit::buildPacket({seq & 63, type, data}, txCheck_, link_.eol, link_.padCount, link_.padChar));
}

void KermitEngine::armPacketTimeout()
{
    // A long packet still coming in on a slow line is not a silent line.
    if ((state_ == State::ReceiveInit || state_ == State::Receiving) && !cancelling_)
        armQuietTimeout(mine_.timeoutSecs * 1000);
    else
        armTimeout(mine_.timeoutSecs * 1000);
}

void KermitEngine::applyLink(const KermitParams &theirs)
{
    link_ = negotiate(mine_, theirs);
    encoder_ = KermitCodec(link_.qctl, link_.qbin, link_.rept);
    decoder_ = KermitCodec(link_.peerQctl, link_.qbin, link_.rept);
    reader_.setCheckType(link_.checkType);
    txCheck_ = link_.checkType;
    status_.blockSize = Kermit::maxDataLength(link_.sendMaxLength, link_.checkType);
}

void KermitEngine::fail(int code, const QByteArray &message)
{
    if (isFinished())
        return;
    link()->discardOutput();
    const bool sending = state_ >= State::SendInit && state_ <= State::SendBreak;
    sendPacket(sending ? seq_ : expected_, 'E', message);
    dropFiles();
    countError(QString::fromLatin1(message));
    finish(code);
}

void KermitEngine::cancel()
{
    // Peers that flush their input after each packet lose an error packet
    // sent in the middle of their traffic, so it goes out as the answer to
    // their next packet, or after a short wait when none comes. A streaming
    // sender hears nothing until the end, so it stops at once.
    const bool streamingSender = state_ == State::SendData && link_.streaming;
    if (state_ == State::Idle || streamingSender) {
        fail(TransferResult::CancelledLocally, "Transfer cancelled");
        return;
    }
    cancelling_ = true;
    armTimeout(cancelGraceMs);
}

void KermitEngine::onReceived(const QByteArray &bytes)
{
    reader_.feed(bytes.constData(), bytes.size(), [this](const Kermit::PacketReader::Result &result) {
        if (!isFinished())
            handlePacket(result);
    });
    // Streamed file data wants no answers until the file ends: let the link
    // hand it on in larger pieces, so both ends wake less often.
    if (!isFinished())
        link()->setGatherInput(inStreamedData_ && !cancelling_);
}

void KermitEngine::handlePacket(const Kermit::PacketReader::Result &result)
{
    if (cancelling_) {
        fail(TransferResult::CancelledLocally, "Transfer cancelled");
        return;
    }
    if (result.ok && result.packet.type == 'E') {
        QByteArray text;
        if (!decoder_.decode(result.packet.data, text))
            text = result.packet.data;
        countError(QString::fromLatin1(text));
        dropFiles();
        finish(TransferResult::CancelledByRemote);
        return;
    }
    const bool sending = state_ >= State::SendInit && state_ <= State::SendBreak;
    if (sending) {
        if (result.ok)
            senderPacket(result.packet);
        else if (state_ != State::SendData)
            resendSingle();
        return;
    }
    if (result.ok)
        receiverPacket(result.packet);
    else
        receiverBadPacket();
}

void KermitEngine::onOutputDrained()
{
    if (state_ == State::SendData)
        fillWindow();
}

void KermitEngine::onLinkLost()
{
    dropFiles();
    TransferEngine::onLinkLost();
}

void KermitEngine::onTimeout()
{
    if (cancelling_) {
        fail(TransferResult::CancelledLocally, "Transfer cancelled");
        return;
    }
    if (deferWhileOutputMoves())
        return;
    if (state_ >= State::SendInit && state_ <= State::SendBreak)
        senderTimeout();
    else
        receiverTimeout();
}
