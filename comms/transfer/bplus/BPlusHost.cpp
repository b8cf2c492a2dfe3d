#include "comms/transfer/bplus/BPlusHost.h"

#include "comms/transfer/TransferHost.h"
#include "comms/transfer/bplus/BPlusTransferPackets.h"
#include "shell/Ticks.h"

using namespace BPlus;

namespace {
constexpr int callIntervalMs = 3000;
}

BPlusHost::BPlusHost(const Context &context, QObject *parent)
    : BPlusEngine(context, parent)
{ }

void BPlusHost::startSend()
{
    markRunning();
    download_ = true;
    const QString path = host()->nextFileToSend();
    if (path.isEmpty() || source_.open(path, options().includeDirectory) != TransferResult::Success) {
        status_.lastError = path;
        endWith(TransferResult::FileNotFound);
        return;
    }
    requestName_ = source_.name().toUtf8();
    call();
}

void BPlusHost::startReceive()
{
    markRunning();
    download_ = false;
    const QString name = host()->requestedFileName();
    if (name.isEmpty()) {
        status_.lastError = QStringLiteral("No file name to ask for");
        endWith(TransferResult::NotReady);
        return;
    }
    IncomingOffer offer;
    offer.remoteName = name;
    const int opened = target_.open(host()->receivePolicy(), offer);
    if (opened != TransferResult::Success) {
        endWith(opened);
        return;
    }
    if (!host()->acceptIncoming(target_.finalPath())) {
        target_.abandon();
        endWith(TransferResult::FileRejected);
        return;
    }
    requestName_ = name.toUtf8();
    call();
}

void BPlusHost::call()
{
    step_ = Step::Calling;
    sendRaw(QByteArray(1, ENQ));
    awaitHandshake(callIntervalMs);
}

void BPlusHost::onHandshakeTimeout()
{
    const qint64 patience = Ticks::toMs(options().handshakeWaitTicks);
    if (step_ == Step::Calling && ++calls_ * qint64(callIntervalMs) < patience) {
        call();
        return;
    }
    endWith(TransferResult::TimedOut);
}

void BPlusHost::onEnquiryReply()
{
    if (step_ != Step::Calling)
        return;
    // The terminal is at sequence 0 with the defaults; offer our parameters.
    restartSequence();
    applySession(Session{});
    sendPacket('+', own_.encode());
    step_ = Step::ParamsSent;
}

void BPlusHost::onAllAcknowledged()
{
    switch (step_) {
    case Step::ParamsSent:
        step_ = Step::AwaitingParams;
        expectPacket();
        break;
    case Step::Requested:
        if (download_) {
            beginSending(0);
        } else {
            step_ = Step::Receiving;
            beginFile(QString::fromUtf8(requestName_), -1, false);
            expectPacket();
        }
        break;
    case Step::Restarting:
        beginSending(0);
        break;
    case Step::Sending:
        setProgress(acknowledgedMark());
        if (closing_) {
            source_.close();
            endFile(TransferResult::Success);
            endWith(TransferResult::Success);
        }
        break;
    default:
        break;
    }
}

void BPlusHost::onPacket(char type, const QByteArray &body)
{
    switch (step_) {
    case Step::ParamsSent:
    case Step::AwaitingParams:
        if (type != '+')
            break;
        acknowledge();
        applySession(negotiate(own_, Params::decode(body)));
        request();
        return;
    case Step::Requested:
        if (download_ && type == 'T' && body.startsWith('r')) {
            answerResume(body);
            return;
        }
        if (!download_) {
            // The terminal's first packet of the upload answers our request.
            step_ = Step::Receiving;
            beginFile(QString::fromUtf8(requestName_), -1, false);
            takePacket(type, body);
            return;
        }
        break;
    case Step::Receiving:
        takePacket(type, body);
        return;
    default:
        break;
    }
    failWith(
        TransferResult::ProtocolError, QStringLiteral("Unexpected packet '%1'").arg(QLatin1Char(type)), 'N');
}

void BPlusHost::request()
{
    TransferRequest request;
    request.function = download_ ? 'D' : 'U';
    request.dataType = 'B';
    request.name = requestName_;
    sendPacket('T', encodeTransferRequest(request));
    step_ = Step::Requested;
}

void BPlusHost::answerResume(const QByteArray &body)
{
    ResumeOffer offer;
    if (decodeResumeOffer(body, &offer) && sameStart(offer.length, offer.crc)) {
        beginSending(offer.length);
        return;
    }
    if (session().downloadResume >= 2) {
        step_ = Step::Restarting;
        sendPacket('T', QByteArrayLiteral("f"));
        return;
    }
    failWith(TransferResult::ProtocolError, QStringLiteral("Resume failed"), 'r');
}

bool BPlusHost::sameStart(qint64 length, quint16 crc)
{
    if (length > source_.size())
        return false;
    QFile &file = source_.file();
    if (!file.seek(0))
        return false;
    quint16 ours = 0xffff;
    for (qint64 left = length; left > 0;) {
        const QByteArray chunk = file.read(qMin<qint64>(left, 1 << 16));
        if (chunk.isEmpty())
            return false;
        ours = crc16(chunk, ours);
        left -= chunk.size();
    }
    return ours == crc;
}

void BPlusHost::beginSending(qint64 from)
{
    if (!source_.file().seek(from)) {
        failWith(TransferResult::FileNotFound, source_.file().errorString(), 'I');
        return;
    }
    step_ = Step::Sending;
    position_ = from;
    beginFile(source_.name(), source_.size(), true);
    setProgress(from);
    if (session().fileInfo) {
        FileInfo info;
        info.length = source_.size();
        info.modified = source_.modified();
        sendPacket('T', encodeFileInfo(info, requestName_), from);
    }
    pump();
}

void BPlusHost::onWindowOpen()
{
    if (step_ != Step::Sending)
        return;
    setProgress(acknowledgedMark());
    pump();
}

void BPlusHost::pump()
{
    for (QFile &file = source_.file(); canSend() && !closing_;) {
        const QByteArray data = file.read(session().blockSize);
        if (data.isEmpty() && file.error() != QFileDevice::NoError) {
            failWith(TransferResult::FileNotFound, file.errorString(), 'I');
            return;
        }
        if (data.isEmpty()) {
            closing_ = true;
            sendPacket('T', QByteArrayLiteral("C"), position_);
            return;
        }
        position_ += data.size();
        sendPacket('N', data, position_);
    }
}

void BPlusHost::takePacket(char type, const QByteArray &body)
{
    if (type == 'N') {
        const int written = target_.write(body);
        if (written != TransferResult::Success) {
            failWith(written, transferResultText(written));
            return;
        }
        setProgress(target_.bytesWritten());
        acknowledge();
        expectPacket();
    } else if (type == 'T' && body.startsWith('I')) {
        const FileInfo info = decodeFileInfo(body);
        status_.fileSize = info.length;
        acknowledge();
        expectPacket();
    } else if (type == 'T' && body.startsWith('C')) {
        const int done = target_.finish();
        if (done != TransferResult::Success) {
            failWith(done, transferResultText(done));
            return;
        }
        acknowledge();
        endFile(TransferResult::Success);
        endWith(TransferResult::Success);
    } else {
        failWith(TransferResult::ProtocolError,
            QStringLiteral("Unexpected packet '%1'").arg(QLatin1Char(type)), 'N');
    }
}

void BPlusHost::closeFiles(int code)
{
    Q_UNUSED(code);
    if (target_.isOpen())
        target_.abandon();
    source_.close();
}
