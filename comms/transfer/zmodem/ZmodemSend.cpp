#include "comms/link/ByteLink.h"
#include "comms/transfer/FileHeader.h"
#include "comms/transfer/TransferHost.h"
#include "comms/transfer/zmodem/ZmodemCrc.h"
#include "comms/transfer/zmodem/ZmodemEngine.h"
#include "shell/Ticks.h"

using namespace Zmodem;

namespace {

constexpr int retryMs = 10000;
// Receivers read the file information into a 1024-byte buffer.
constexpr qsizetype maxFileInfoBytes = 1024;
// Bytes queued on the link before the sender waits for it to drain.
constexpr qint64 highWater = 64 * 1024;
// Raw file bytes encoded per pass.
constexpr qint64 chunkBytes = 32 * 1024;
// Streaming window: unacknowledged bytes allowed in flight, and how often a
// ZCRCQ asks the receiver where it is.
constexpr qint64 windowBytes = 1024 * 1024;
constexpr qint64 queryEvery = 128 * 1024;
constexpr int minBlock = 256;
// How soon to look at the link again when it holds as much unsent data as
// OutputPace allows; sooner while it is found empty at every look (a fast
// line, still being measured), so its pace is learnt in a few milliseconds.
constexpr int paceCheckMs = 10;
constexpr int fastPaceCheckMs = 1;

} // namespace

// How long the link may refuse data before the transfer is given up.
int ZmodemEngine::stallMs() const
{
    return int(qMax<qint64>(retryMs, Ticks::toMs(options().handshakeWaitTicks)));
}

void ZmodemEngine::startSend()
{
    sending_ = true;
    markRunning();
    handshakeClock_.start();
    // "rz\r" starts a receiver on a host that watches for it.
    send(QByteArrayLiteral("rz\r"));
    sendRequestInit();
}

void ZmodemEngine::sendRequestInit()
{
    state_ = State::WaitReceiverInit;
    sendHex(Header::withPosition(ZRQINIT, 0));
    armTimeout(retryMs / 2);
}

void ZmodemEngine::senderHeader(const Header &header)
{
    if (header.type == ZABORT || header.type == ZFERR || header.type == ZCAN) {
        outgoing_.close();
        endTransfer(TransferResult::CancelledByRemote);
        return;
    }
    switch (state_) {
    case State::WaitReceiverInit:
        if (header.type == ZRINIT) {
            receiverFlags_ = header.zf0();
            receiverBuffer_ = header.b[0] | (header.b[1] << 8);
            crc32_ = (receiverFlags_ & CANFC32) && options().zmodemCrc32;
            encoder_.setEscapeControls(receiverFlags_ & ESCCTL);
            nextFile();
        } else if (header.type == ZNAK) {
            sendRequestInit();
        }
        break;
    case State::WaitFilePosition:
        switch (header.type) {
        case ZRPOS:
            progressMade();
            lastRposition_ = header.position();
            startData(header.position());
            break;
        case ZSKIP:
            skipCurrentFile(TransferResult::Skipped);
            break;
        case ZCRC:
            answerCrcRequest(header.position());
            break;
        case ZNAK:
            if (recoverableError(QStringLiteral("File offer not received")))
                sendFileOffer();
            break;
        default:
            break;
        }
        break;
    case State::Streaming:
    case State::WaitAck:
    case State::WaitEofAck:
        switch (header.type) {
        case ZRPOS: {
            const qint64 asked = header.position();
            if (asked > outgoing_.size()) {
                abortTransfer(TransferResult::ProtocolError);
                return;
            }
            // Asked again for where we went back to before our data from
            // there can have reached the receiver: it was answering what was
            // still on the line ahead of it.
            if (asked == lastRposition_ && outputLeft() < repeatDueAt_)
                break;
            // A request further on than the last one means the receiver got data.
            if (asked > lastRposition_)
                progressMade();
            if (!recoverableError(QStringLiteral("Receiver asked to resend from %1").arg(asked)))
                return;
            if (asked == lastRposition_ && blockLength_ > minBlock)
                blockLength_ /= 2;
            lastRposition_ = asked;
            discardOutput();
            startData(asked);
            break;
        }
        case ZACK:
            ackedPosition_ = qMax<qint64>(ackedPosition_, header.position());
            if (state_ == State::WaitAck && qint64(header.position()) == position_) {
                progressMade();
                startData(position_);
            } else if (state_ == State::Streaming) {
                pump();
            }
            break;
        case ZSKIP:
            discardOutput();
            skipCurrentFile(TransferResult::Skipped);
            break;
        case ZRINIT:
            if (state_ == State::WaitEofAck) {
                outgoing_.close();
                endFile(TransferResult::Success);
                fileActive_ = false;
                progressMade();
                nextFile();
            }
            break;
        default:
            break;
        }
        break;
    case State::WaitFinish:
        if (header.type == ZFIN) {
            send(QByteArrayLiteral("OO"));
            endTransfer(batchResult());
        }
        break;
    default:
        break;
    }
}

void ZmodemEngine::nextFile()
{
    for (;;) {
        const QString path = host()->nextFileToSend();
        if (path.isEmpty()) {
            sendFinish();
            return;
        }
        const int opened = outgoing_.open(path, options().includeDirectory);
        beginFile(opened == TransferResult::Success ? outgoing_.name() : path, outgoing_.size(), true);
        if (opened == TransferResult::Success)
            break;
        noteFileResult(opened);
        endFile(opened);
    }
    fileActive_ = true;
    blockLength_ = options().zmodem8K ? MaxSubpacket : 1024;
    if (receiverBuffer_ > 0)
        blockLength_ = qMax(64, qMin(blockLength_, receiverBuffer_));
    status_.blockSize = blockLength_;
    lastRposition_ = -1;
    retries_ = 0;
    sendFileOffer();
}

void ZmodemEngine::sendFileOffer()
{
    state_ = State::WaitFilePosition;
    const quint8 conversion = options().zmodemRecover ? ZCRESUM : ZCBIN;
    // With crash recovery the receiver must keep what it has, so no
    // management option that would replace it is sent along.
    quint8 management = options().zmodemRecover ? 0 : quint8(options().zmodemFileOption) & ZMMASK;
    if (options().zmodemSkipNoFile)
        management |= ZMSKNOFIL;
    sendBinary(Header::withFlags(ZFILE, conversion, management));
    // "size mtime mode serial files-left bytes-left", as sz sends it.
    const FileHeader header{outgoing_.name(), outgoing_.size(), outgoing_.modified(), outgoing_.mode()};
    const QByteArray info = header.encode(6, maxFileInfoBytes);
    out_.resize(0);
    encoder_.dataSubpacket(out_, info.constData(), info.size(), ZCRCW, crc32_);
    send(out_);
    armTimeout(retryMs);
}

void ZmodemEngine::answerCrcRequest(quint32 length)
{
    QFile &file = outgoing_.file();
    const qint64 wanted = length == 0 ? outgoing_.size() : qMin<qint64>(length, outgoing_.size());
    quint32 crc = 0xffffffffu;
    file.seek(0);
    qint64 done = 0;
    while (done < wanted) {
        readBuffer_.resize(qMin<qint64>(chunkBytes, wanted - done));
        const qint64 got = file.read(readBuffer_.data(), readBuffer_.size());
        if (got <= 0)
            break;
        crc = ZmodemCrc::crc32Update(crc, reinterpret_cast<const quint8 *>(readBuffer_.constData()), got);
        done += got;
    }
    sendHex(Header::withPosition(ZCRC, ~crc));
    armTimeout(retryMs);
}

void ZmodemEngine::startData(qint64 position)
{
    if (!outgoing_.file().seek(position)) {
        noteFileResult(TransferResult::FileNotFound);
        abortTransfer(TransferResult::FileNotFound);
        return;
    }
    position_ = position;
    ackedPosition_ = position;
    segmentBytes_ = 0;
    sinceQuery_ = 0;
    atEof_ = false;
    setProgress(position);
    sendBinary(Header::withPosition(ZDATA, quint32(position)));
    // The receiver can only complain about this start once the header and
    // the first subpacket (if any) have gone.
    repeatDueAt_ = outputSent() + qMin<qint64>(blockLength_, outgoing_.size() - position);
    state_ = State::Streaming;
    // A streaming receiver answers only now and then: the link may fill the
    // line in larger pieces.
    link()->setGatherOutput(receiverStreams());
    pump();
}

// Encodes file data while the link has room. Depending on the receiver this
// streams (ZCRCG, with a ZCRCQ now and then for the window), or sends
// frames of at most the receiver's buffer ending in ZCRCW and waits for ZACK.
void ZmodemEngine::pump()
{
    armTimeout(stallMs());
    while (state_ == State::Streaming && pendingOutput() < highWater) {
        if (windowFull()) {
            armTimeout(retryMs);
            return; // until a ZACK moves the window
        }
        const qint64 room = pace_.room(outputLeft(), link()->unsentOutput());
        if (room <= 0) {
            leftAtPaceCheck_ = outputLeft();
            paceCheck_.start(linkWasEmpty_ ? fastPaceCheckMs : paceCheckMs);
            return;
        }
        if (!encodeChunk(room))
            return;
    }
}

void ZmodemEngine::paceCheck()
{
    if (!sending_ || state_ != State::Streaming)
        return;
    linkWasEmpty_ = link()->unsentOutput() <= 0;
    // A line that takes nothing is left to the stall time-out.
    if (outputLeft() == leftAtPaceCheck_)
        paceCheck_.start(paceCheckMs);
    else
        pump();
}

bool ZmodemEngine::receiverStreams() const
{
    return receiverBuffer_ == 0 && (receiverFlags_ & CANFDX) && (receiverFlags_ & CANOVIO);
}

bool ZmodemEngine::windowFull() const
{
    return position_ - ackedPosition_ >= windowBytes;
}

bool ZmodemEngine::encodeChunk(qint64 room)
{
    const bool streaming = receiverStreams();
    qint64 want = qBound<qint64>(blockLength_, room, chunkBytes);
    if (!streaming)
        want = qMin<qint64>(want, receiverBuffer_ > 0 ? receiverBuffer_ - segmentBytes_ : blockLength_);
    readBuffer_.resize(want);
    const qint64 got = outgoing_.file().read(readBuffer_.data(), want);
    if (got < 0) {
        noteFileResult(TransferResult::FileNotFound);
        abortTransfer(TransferResult::FileNotFound);
        return false;
    }
    const bool eof = got < want || position_ + got >= outgoing_.size();
    out_.resize(0);
    out_.reserve(got * 2 + 64);
    qint64 done = 0;
    bool frameEnded = false;
    do {
        const qint64 length = qMin<qint64>(blockLength_, got - done);
        done += length;
        segmentBytes_ += length;
        sinceQuery_ += length;
        quint8 end = ZCRCG;
        if (done == got && eof) {
            end = ZCRCE;
            frameEnded = true;
        } else if (!streaming && (receiverBuffer_ == 0 || segmentBytes_ >= receiverBuffer_)) {
            end = ZCRCW;
            frameEnded = true;
        } else if (streaming && sinceQuery_ >= queryEvery) {
            end = ZCRCQ;
            sinceQuery_ = 0;
        }
        encoder_.dataSubpacket(out_, readBuffer_.constData() + done - length, length, end, crc32_);
    } while (done < got && !frameEnded);
    // A ZCRCW ends the frame early: rewind to what was actually sent.
    if (done < got)
        outgoing_.file().seek(position_ + done);
    position_ += done;
    send(out_);
    setProgress(position_);
    if (eof && done == got) {
        sendEof();
        return false;
    }
    if (frameEnded) {
        state_ = State::WaitAck;
        armTimeout(retryMs);
        return false;
    }
    return true;
}

void ZmodemEngine::restatePosition()
{
    if (state_ != State::Streaming || !receiverStreams())
        return;
    out_.resize(0);
    encoder_.dataSubpacket(out_, "", 0, ZCRCE, crc32_);
    send(out_);
    sendBinary(Header::withPosition(ZDATA, quint32(position_)));
}

void ZmodemEngine::sendEof()
{
    atEof_ = true;
    state_ = State::WaitEofAck;
    sendBinary(Header::withPosition(ZEOF, quint32(position_)));
    armTimeout(retryMs);
}

void ZmodemEngine::sendFinish()
{
    state_ = State::WaitFinish;
    sendHex(Header::withPosition(ZFIN, 0));
    armTimeout(retryMs);
}

void ZmodemEngine::skipCurrentFile(int result)
{
    outgoing_.close();
    fileActive_ = false;
    endFile(result);
    progressMade();
    nextFile();
}

void ZmodemEngine::senderTimeout()
{
    switch (state_) {
    case State::WaitReceiverInit:
        if (handshakeExpired()) {
            abortTransfer(TransferResult::TimedOut);
            return;
        }
        sendRequestInit();
        break;
    case State::WaitFilePosition:
        if (recoverableError(QStringLiteral("No answer to the file offer")))
            sendFileOffer();
        break;
    case State::Streaming:
        if (!windowFull()) {
            // The link stopped taking data altogether.
            abortTransfer(TransferResult::TimedOut);
        } else if (recoverableError(QStringLiteral("No acknowledgement"))) {
            startData(ackedPosition_);
        }
        break;
    case State::WaitAck:
        if (recoverableError(QStringLiteral("No acknowledgement")))
            startData(ackedPosition_);
        break;
    case State::WaitEofAck:
        // A receiver still waiting for data from further back ignores an end
        // of file at the wrong place, and each repeat puts off its own
        // time-out: start data at the end again, which it answers with the
        // position it wants (or takes as the end it missed).
        if (recoverableError(QStringLiteral("No answer to end of file")))
            startData(position_);
        break;
    case State::WaitFinish:
        if (++retries_ > 3)
            endTransfer(batchResult());
        else
            sendFinish();
        break;
    default:
        break;
    }
}
