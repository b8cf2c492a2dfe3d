#include "comms/transfer/zmodem/ZmodemEngine.h"

#include "comms/link/ByteLink.h"
#include "shell/Ticks.h"

using namespace Zmodem;

namespace {

constexpr int maxConsecutiveErrors = 20;

} // namespace

ZmodemEngine::ZmodemEngine(const Context &context, QObject *parent)
    : TransferEngine(context, parent)
{
    paceCheck_.setSingleShot(true);
    paceCheck_.setTimerType(Qt::PreciseTimer);
    connect(&paceCheck_, &QTimer::timeout, this, &ZmodemEngine::paceCheck);
}

ZmodemEngine::~ZmodemEngine() = default;

void ZmodemEngine::onReceived(const QByteArray &bytes)
{
    if (state_ == State::WaitOverAndOut) {
        // Text instead of "OO" (a sender that flushed its line as it quit)
        // also ends the session: the remote side has moved on, and what it
        // wrote is for the terminal.
        qsizetype at = 0;
        while (at < bytes.size() && overAndOut_ < 2) {
            const char byte = bytes.at(at);
            if (byte == 'O')
                ++overAndOut_;
            else if ((byte >= 0x20 && byte < 0x7f) || byte == '\r' || byte == '\n')
                break;
            ++at;
        }
        if (overAndOut_ >= 2 || at < bytes.size()) {
            link()->giveBack(bytes.mid(at));
            endTransfer(batchResult());
        }
        return;
    }
    decoder_.feed(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
    // Streamed data wants no answers until its frame ends (ZCRCQ is answered
    // within the window): let the link hand it on in larger pieces.
    link()->setGatherInput(!sending_ && state_ == State::ReceivingData);
}

void ZmodemEngine::onOutputDrained()
{
    if (sending_ && state_ == State::Streaming)
        pump();
}

void ZmodemEngine::onTimeout()
{
    if (deferWhileOutputMoves())
        return;
    if (sending_)
        senderTimeout();
    else
        receiverTimeout();
}

void ZmodemEngine::onLinkLost()
{
    // The session was over: the sender's "OO" is a courtesy that a closing
    // line may swallow.
    if (state_ == State::WaitOverAndOut) {
        endTransfer(batchResult());
        return;
    }
    dropFiles();
    endTransfer(TransferResult::CarrierLost);
}

void ZmodemEngine::cancel()
{
    if (isFinished())
        return;
    abortTransfer(TransferResult::CancelledLocally);
}

void ZmodemEngine::zHeader(const Header &header)
{
    if (header.type == ZCHALLENGE) {
        sendHex(Header::withPosition(ZACK, header.position()));
        return;
    }
    if (sending_)
        senderHeader(header);
    else
        receiverHeader(header);
}

void ZmodemEngine::zData(const quint8 *data, int length, quint8 frameEnd)
{
    if (!sending_)
        receiverData(data, length, frameEnd);
}

void ZmodemEngine::zBadHeader()
{
    countError(QStringLiteral("Bad header"));
    if (sending_)
        restatePosition();
}

void ZmodemEngine::zBadData()
{
    if (sending_) {
        countError(QStringLiteral("Bad data"));
        return;
    }
    if (state_ == State::ReceivingData) {
        if (recoverableError(QStringLiteral("CRC error")))
            requestPosition(true);
    } else if (state_ == State::WaitFileInfo || state_ == State::WaitSinitData) {
        // The sender repeats the header when it gets no answer.
        countError(QStringLiteral("Bad data"));
        state_ = State::WaitFileOffer;
        sendReceiverInit();
    } else {
        countError(QStringLiteral("Bad data"));
    }
}

void ZmodemEngine::zCancelled()
{
    dropFiles();
    endTransfer(TransferResult::CancelledByRemote);
}

void ZmodemEngine::sendHex(const Header &header)
{
    out_.resize(0);
    encoder_.hexHeader(out_, header);
    send(out_);
}

void ZmodemEngine::sendBinary(const Header &header)
{
    out_.resize(0);
    encoder_.binaryHeader(out_, header, crc32_);
    send(out_);
}

bool ZmodemEngine::recoverableError(const QString &what)
{
    countError(what);
    if (++consecutiveErrors_ <= maxConsecutiveErrors)
        return true;
    abortTransfer(TransferResult::TooManyErrors);
    return false;
}

void ZmodemEngine::abortTransfer(int code)
{
    discardOutput();
    // Eight CANs stop the other side; the backspaces erase them from a terminal.
    send(QByteArray(8, char(ZDLE)) + QByteArray(10, '\b'));
    dropFiles();
    endTransfer(code);
}

void ZmodemEngine::endTransfer(int code)
{
    decoder_.stop();
    state_ = State::Idle;
    finish(code);
}

bool ZmodemEngine::handshakeExpired() const
{
    return handshakeClock_.isValid() && handshakeClock_.elapsed() > Ticks::toMs(options().handshakeWaitTicks);
}
