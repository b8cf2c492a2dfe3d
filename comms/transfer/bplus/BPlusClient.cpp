#include "comms/transfer/bplus/BPlusClient.h"

#include "comms/transfer/TransferHost.h"
#include "comms/transfer/bplus/BPlusTrigger.h"
#include "shell/Ticks.h"

using namespace BPlus;

BPlusClient::BPlusClient(const Context &context, QObject *parent)
    : BPlusEngine(context, parent)
{ }

void BPlusClient::start()
{
    markRunning();
    awaitHandshake(static_cast<int>(Ticks::toMs(options().handshakeWaitTicks)));
}

bool BPlusClient::onIdleEnquiry()
{
    if (state_ != State::Idle)
        return false;
    // Ready for a new session: defaults, and sequence 0 as the last seen.
    restartSequence();
    applySession(Session{});
    sendRaw(enquiryReply());
    awaitHandshake(static_cast<int>(Ticks::toMs(options().handshakeWaitTicks)));
    return true;
}

void BPlusClient::onInterrogation()
{
    if (state_ == State::Idle)
        sendRaw(interrogationReply());
}

void BPlusClient::onPacket(char type, const QByteArray &body)
{
    if (type == '+' && (state_ == State::Idle || state_ == State::Ready)) {
        negotiate(body);
    } else if (type == 'T') {
        transferPacket(body);
    } else if (type == 'N' && state_ == State::Receiving) {
        receiveData(body);
    } else {
        failWith(TransferResult::ProtocolError,
            QStringLiteral("Unexpected packet '%1'").arg(QLatin1Char(type)), 'N');
    }
}

void BPlusClient::negotiate(const QByteArray &body)
{
    acknowledge();
    const Params own;
    sendPacket('+', own.encode());
    // The host's next packet already uses what both sides support.
    applySession(BPlus::negotiate(own, Params::decode(body)));
    state_ = State::Negotiating;
}

void BPlusClient::onAllAcknowledged()
{
    switch (state_) {
    case State::Negotiating:
        state_ = State::Ready;
        expectPacket();
        break;
    case State::Receiving:
        expectPacket(); // the host took our resume offer with a plain acknowledgement
        break;
    case State::Sending:
        setProgress(acknowledgedMark());
        if (closeSent_) {
            outgoing_.close();
            endFile(TransferResult::Success);
            endWith(TransferResult::Success);
        }
        break;
    case State::Idle:
    case State::Ready:
        break;
    }
}

void BPlusClient::transferPacket(const QByteArray &body)
{
    const char function = body.isEmpty() ? 0 : body[0];
    if ((state_ == State::Idle || state_ == State::Ready) && function == 'D') {
        startDownload(decodeTransferRequest(body));
    } else if ((state_ == State::Idle || state_ == State::Ready) && function == 'U') {
        startUpload();
    } else if (state_ == State::Receiving && function == 'f' && resumeOffered_) {
        // The host's copy differs from ours: start the file again.
        resumeOffered_ = false;
        const int result = incoming_.restart();
        if (result != TransferResult::Success) {
            failWith(result, transferResultText(result));
            return;
        }
        setProgress(0);
        acknowledge();
        expectPacket();
    } else if (state_ == State::Receiving && function == 'I') {
        const FileInfo info = decodeFileInfo(body);
        if (info.length >= 0)
            status_.fileSize = info.length;
        acknowledge();
        expectPacket();
    } else if (state_ == State::Receiving && function == 'C') {
        endDownload();
    } else if (state_ != State::Sending && function == 'C') {
        acknowledge();
        endWith(TransferResult::Success);
    } else {
        failWith(TransferResult::ProtocolError, QStringLiteral("Unexpected transfer packet"), 'N');
    }
}

void BPlusClient::startDownload(const TransferRequest &request)
{
    IncomingOffer offer;
    offer.remoteName = IncomingFile::decodeRemoteName(request.name);
    ReceivePolicy policy = host()->receivePolicy();
    // Interrupted downloads are resumed: keep what arrived.
    policy.recover = true;
    const int result = incoming_.open(policy, offer);
    if (result != TransferResult::Success) {
        failWith(result, transferResultText(result));
        return;
    }
    if (!host()->acceptIncoming(incoming_.finalPath())) {
        incoming_.abandon();
        failWith(TransferResult::FileRejected, transferResultText(TransferResult::FileRejected));
        return;
    }
    state_ = State::Receiving;
    beginFile(offer.remoteName, -1, false);
    if (incoming_.resumeOffset() > 0) {
        if (session().downloadResume > 0) {
            offerResume();
            return;
        }
        const int restarted = incoming_.restart();
        if (restarted != TransferResult::Success) {
            failWith(restarted, transferResultText(restarted));
            return;
        }
    }
    acknowledge();
    expectPacket();
}

void BPlusClient::offerResume()
{
    QFile partial(incoming_.partialPath());
    ResumeOffer offer;
    offer.length = incoming_.resumeOffset();
    if (!partial.open(QIODevice::ReadOnly)) {
        failWith(TransferResult::CannotWrite, transferResultText(TransferResult::CannotWrite));
        return;
    }
    QByteArray chunk;
    for (qint64 left = offer.length; left > 0; left -= chunk.size()) {
        chunk = partial.read(qMin<qint64>(left, 1 << 16));
        if (chunk.isEmpty()) {
            failWith(TransferResult::CannotWrite, transferResultText(TransferResult::CannotWrite));
            return;
        }
        offer.crc = crc16(chunk, offer.crc);
    }
    resumeOffered_ = true;
    setProgress(offer.length);
    // The offer answers the request in place of an acknowledgement.
    sendPacket('T', encodeResumeOffer(offer));
}

void BPlusClient::receiveData(const QByteArray &data)
{
    resumeOffered_ = false;
    const int result = incoming_.write(data);
    if (result != TransferResult::Success) {
        failWith(result, transferResultText(result));
        return;
    }
    setProgress(incoming_.resumeOffset() + incoming_.bytesWritten());
    acknowledge();
    expectPacket();
}

void BPlusClient::endDownload()
{
    const int result = incoming_.finish();
    if (result != TransferResult::Success) {
        failWith(result, transferResultText(result));
        return;
    }
    acknowledge();
    endFile(TransferResult::Success);
    endWith(TransferResult::Success);
}

void BPlusClient::startUpload()
{
    const QString path = host()->nextFileToSend();
    if (path.isEmpty() || outgoing_.open(path, options().includeDirectory) != TransferResult::Success) {
        failWith(TransferResult::FileNotFound, transferResultText(TransferResult::FileNotFound), 'M');
        return;
    }
    state_ = State::Sending;
    beginFile(outgoing_.name(), outgoing_.size(), true);
    acknowledge();
    if (session().fileInfo) {
        FileInfo info;
        info.length = outgoing_.size();
        info.modified = outgoing_.modified();
        sendPacket('T', encodeFileInfo(info, outgoing_.name().toUtf8()), 0);
    }
    sendData();
}

void BPlusClient::onWindowOpen()
{
    if (state_ == State::Sending) {
        setProgress(acknowledgedMark());
        sendData();
    }
}

void BPlusClient::sendData()
{
    while (canSend() && !closeSent_) {
        QFile &file = outgoing_.file();
        const QByteArray block = file.read(session().blockSize);
        if (!block.isEmpty()) {
            sentOffset_ += block.size();
            sendPacket('N', block, sentOffset_);
        } else if (file.error() != QFileDevice::NoError) {
            failWith(TransferResult::FileNotFound, file.errorString(), 'I');
            return;
        } else {
            sendPacket('T', QByteArrayLiteral("C"), sentOffset_);
            closeSent_ = true;
        }
    }
}

void BPlusClient::closeFiles(int code)
{
    Q_UNUSED(code);
    if (incoming_.isOpen())
        incoming_.abandon();
    outgoing_.close();
}
