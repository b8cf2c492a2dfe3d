#include "comms/transfer/FileHeader.h"
#include "comms/transfer/TransferHost.h"
#include "comms/transfer/zmodem/ZmodemCrc.h"
#include "comms/transfer/zmodem/ZmodemEngine.h"

#include <QFileInfo>
#include <QStorageInfo>

using namespace Zmodem;

namespace {

constexpr int retryMs = 10000;
constexpr int overAndOutMs = 2000;
constexpr int maxAttention = 32;

quint32 localCrc(const QString &path)
{
    QFile file(path);
    quint32 crc = 0xffffffffu;
    if (!file.open(QIODevice::ReadOnly))
        return ~crc;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 got;
    while ((got = file.read(buffer.data(), buffer.size())) > 0)
        crc = ZmodemCrc::crc32Update(crc, reinterpret_cast<const quint8 *>(buffer.constData()), got);
    return ~crc;
}

} // namespace

void ZmodemEngine::startReceive()
{
    sending_ = false;
    markRunning();
    handshakeClock_.start();
    crc32_ = options().zmodemCrc32;
    sendReceiverInit();
}

void ZmodemEngine::sendReceiverInit()
{
    state_ = State::WaitFileOffer;
    // Full duplex, overlapped I/O, no buffer limit: the sender may stream.
    const quint8 flags = CANFDX | CANOVIO | (options().zmodemCrc32 ? CANFC32 : 0);
    sendHex(Header::withFlags(ZRINIT, flags));
    armTimeout(retryMs);
}

void ZmodemEngine::receiverHeader(const Header &header)
{
    const bool inFile = state_ == State::WaitData || state_ == State::ReceivingData;
    switch (header.type) {
    case ZRQINIT:
        if (state_ == State::WaitFileOffer)
            sendReceiverInit();
        break;
    case ZSINIT:
        encoder_.setEscapeControls(header.zf0() & TESCCTL);
        state_ = State::WaitSinitData;
        break;
    case ZFILE:
        offerConversion_ = header.zf0();
        offerManagement_ = header.zf1();
        state_ = State::WaitFileInfo;
        break;
    case ZDATA:
        if (!inFile) {
            decoder_.skipData();
        } else if (qint64(header.position()) == offset_) {
            state_ = State::ReceivingData;
            // Data still arriving keeps the time-out away.
            armQuietTimeout(retryMs);
        } else {
            decoder_.skipData();
            if (recoverableError(QStringLiteral("Data at the wrong position")))
                requestPosition(true);
        }
        break;
    case ZEOF:
        if (!inFile)
            break;
        if (qint64(header.position()) == offset_)
            completeFile();
        else if (recoverableError(QStringLiteral("End of file at the wrong position")))
            requestPosition(true);
        break;
    case ZFIN:
        if (incoming_.isOpen()) {
            incoming_.abandon();
            noteFileResult(TransferResult::CancelledByRemote);
        }
        sendHex(Header::withPosition(ZFIN, 0));
        state_ = State::WaitOverAndOut;
        overAndOut_ = 0;
        armTimeout(overAndOutMs);
        break;
    case ZFREECNT: {
        const QStorageInfo storage(
            policy_.destinationDir.isEmpty() ? QStringLiteral(".") : policy_.destinationDir);
        sendHex(Header::withPosition(ZACK, quint32(qBound<qint64>(0, storage.bytesAvailable(), 0xffffffff))));
        break;
    }
    case ZCOMMAND:
        state_ = State::WaitCommandData;
        break;
    case ZCRC:
        if (state_ == State::WaitCrcReply) {
            const quint32 mine = localCrc(IncomingFile::existingTarget(policy_, offer_));
            openOffered(header.position() != mine && header.position() != ~mine);
        }
        break;
    default:
        break;
    }
}

void ZmodemEngine::receiverData(const quint8 *data, int length, quint8 frameEnd)
{
    switch (state_) {
    case State::ReceivingData: {
        const int written = incoming_.write(reinterpret_cast<const char *>(data), length);
        if (written != TransferResult::Success) {
            noteFileResult(written);
            abortTransfer(written);
            return;
        }
        offset_ += length;
        setProgress(offset_);
        progressMade();
        if (frameEnd == ZCRCW || frameEnd == ZCRCQ)
            sendHex(Header::withPosition(ZACK, quint32(offset_)));
        if (frameEnd == ZCRCW || frameEnd == ZCRCE)
            state_ = State::WaitData;
        break;
    }
    case State::WaitFileInfo:
        fileOffered(data, length);
        break;
    case State::WaitSinitData:
        attention_ = QByteArray(reinterpret_cast<const char *>(data), qMin(length, maxAttention));
        attention_.truncate(attention_.indexOf('\0') < 0 ? attention_.size() : attention_.indexOf('\0'));
        // Break and pause requests cannot be honoured on every line: drop them.
        attention_.replace(char(0xdd), "");
        attention_.replace(char(0xde), "");
        sendHex(Header::withPosition(ZACK, 1));
        sendReceiverInit();
        break;
    case State::WaitCommandData:
        // Remote commands are never run.
        sendHex(Header::withPosition(ZCOMPL, 1));
        sendReceiverInit();
        break;
    default:
        break;
    }
}

void ZmodemEngine::fileOffered(const quint8 *data, int length)
{
    const IncomingOffer offer
        = FileHeader::parse(QByteArray(reinterpret_cast<const char *>(data), length)).offer();
    if (incoming_.isOpen()) {
        // The same offer again: our position answer was lost.
        if (offer.remoteName == offer_.remoteName) {
            requestPosition(false);
            return;
        }
        incoming_.abandon();
    }
    offer_ = offer;
    policy_ = host()->receivePolicy();
    const int senderOption = offerManagement_ & ZMMASK;
    if (!options().zmodemOptionOverride) {
        if (senderOption >= 1 && senderOption <= int(ZmodemFileOption::Protect))
            policy_.zmodemOption = ZmodemFileOption(senderOption);
        if (offerManagement_ & ZMSKNOFIL)
            policy_.skipNoFile = true;
    }
    if (offerConversion_ == ZCRESUM)
        policy_.recover = true;
    const QString existing = IncomingFile::existingTarget(policy_, offer_);
    if (policy_.zmodemOption == ZmodemFileOption::CrcDifferent && !existing.isEmpty()
        && (offer_.size < 0 || QFileInfo(existing).size() == offer_.size)) {
        // Ask the sender for its file's CRC before deciding.
        state_ = State::WaitCrcReply;
        sendHex(Header::withPosition(ZCRC, 0));
        armTimeout(retryMs);
        return;
    }
    openOffered(true);
}

void ZmodemEngine::openOffered(bool crcDiffers)
{
    beginFile(offer_.remoteName, offer_.size, false);
    const int opened = incoming_.open(policy_, offer_, crcDiffers);
    if (opened != TransferResult::Success) {
        refuseFile(opened);
        return;
    }
    if (!host()->acceptIncoming(incoming_.finalPath())) {
        incoming_.abandon();
        refuseFile(TransferResult::FileRejected);
        return;
    }
    offset_ = incoming_.resumeOffset();
    setProgress(offset_);
    progressMade();
    requestPosition(false);
}

void ZmodemEngine::refuseFile(int result)
{
    if (result != TransferResult::Skipped && result != TransferResult::FileRejected)
        noteFileResult(result);
    endFile(result);
    sendHex(Header::withPosition(ZSKIP, 0));
    handshakeClock_.start();
    state_ = State::WaitFileOffer;
    armTimeout(retryMs);
}

void ZmodemEngine::requestPosition(bool interrupt)
{
    if (interrupt && !attention_.isEmpty())
        send(attention_);
    decoder_.skipData();
    sendHex(Header::withPosition(ZRPOS, quint32(offset_)));
    state_ = State::WaitData;
    armTimeout(retryMs);
}

void ZmodemEngine::completeFile()
{
    const int result = incoming_.finish();
    if (result != TransferResult::Success)
        noteFileResult(result);
    endFile(result);
    progressMade();
    handshakeClock_.start();
    sendReceiverInit();
}

void ZmodemEngine::receiverTimeout()
{
    switch (state_) {
    case State::WaitFileOffer:
        if (handshakeExpired())
            abortTransfer(TransferResult::TimedOut);
        else
            sendReceiverInit();
        break;
    case State::WaitSinitData:
    case State::WaitFileInfo:
    case State::WaitCommandData:
        if (recoverableError(QStringLiteral("Timed out in a header")))
            sendReceiverInit();
        break;
    case State::WaitCrcReply:
        if (recoverableError(QStringLiteral("No answer to the CRC request")))
            sendHex(Header::withPosition(ZCRC, 0));
        armTimeout(retryMs);
        break;
    case State::WaitData:
    case State::ReceivingData:
        if (recoverableError(QStringLiteral("Timed out waiting for data")))
            requestPosition(true);
        break;
    case State::WaitOverAndOut:
        endTransfer(batchResult());
        break;
    default:
        break;
    }
}
