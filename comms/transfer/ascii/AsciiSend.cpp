// Sending side of AsciiEngine.

#include "comms/transfer/TransferHost.h"
#include "comms/transfer/ascii/AsciiEngine.h"

namespace {

constexpr qint64 readChunk = 16 * 1024;
// Without pacing, keep this much queued on the link.
constexpr qint64 sendWindow = 64 * 1024;

} // namespace

void AsciiEngine::startSend()
{
    sending_ = true;
    markRunning();
    const QString path = host()->nextFileToSend();
    const int code
        = path.isEmpty() ? TransferResult::FileNotFound : outgoing_.open(path, options().includeDirectory);
    beginFile(code == TransferResult::Success ? outgoing_.name() : OutgoingFile::wireName(path, false),
        code == TransferResult::Success ? outgoing_.size() : -1, true);
    if (code != TransferResult::Success) {
        finish(code);
        return;
    }
    pump();
}

bool AsciiEngine::fillSource()
{
    if (sourcePos_ > 0) {
        source_.remove(0, sourcePos_);
        sourcePos_ = 0;
    }
    const QByteArray more = outgoing_.file().read(readChunk);
    if (more.isEmpty() && !outgoing_.file().atEnd()) {
        fail(TransferResult::FileNotFound);
        return false;
    }
    source_ += more;
    return true;
}

bool AsciiEngine::isLineEnd(qsizetype index) const
{
    const char c = source_.at(index);
    if (c == '\n')
        return true;
    if (c != '\r')
        return false;
    return index + 1 >= source_.size() || source_.at(index + 1) != '\n';
}

// Length of the next piece to send from source_: one character with a
// character delay, up to the end of the line with only a line delay, else
// whatever is there.
qsizetype AsciiEngine::nextSegment(bool *endsLine)
{
    *endsLine = false;
    const qsizetype available = source_.size() - sourcePos_;
    if (options().asciiCharDelayMs > 0) {
        *endsLine = isLineEnd(sourcePos_);
        return 1;
    }
    if (options().asciiLineDelayMs <= 0)
        return available;
    // A CR last in hand may yet be followed by an LF from the file.
    const qsizetype limit = outgoing_.file().atEnd() ? source_.size() : source_.size() - 1;
    for (qsizetype i = sourcePos_; i < limit; ++i) {
        if (isLineEnd(i)) {
            *endsLine = true;
            return i + 1 - sourcePos_;
        }
    }
    return limit - sourcePos_;
}

void AsciiEngine::pump()
{
    while (!isFinished()) {
        // Two bytes in hand, so that a CR can be told from a CR LF.
        if (source_.size() - sourcePos_ < 2 && !outgoing_.file().atEnd() && !fillSource())
            return;
        if (sourcePos_ >= source_.size()) {
            sendFinished();
            return;
        }
        bool endsLine = false;
        const qsizetype length = nextSegment(&endsLine);
        QByteArray out;
        translator_.translate(source_.constData() + sourcePos_, length, &out);
        sourcePos_ += length;
        sentBytes_ += length;
        send(out);
        setProgress(sentBytes_);
        const int delay
            = (out.isEmpty() ? 0 : options().asciiCharDelayMs) + (endsLine ? options().asciiLineDelayMs : 0);
        if (delay > 0) {
            pace_.start(delay);
            return;
        }
        if (pendingOutput() >= sendWindow)
            return; // onOutputDrained resumes
    }
}

void AsciiEngine::sendFinished()
{
    outgoing_.close();
    if (pendingOutput() > 0) {
        draining_ = true;
        return;
    }
    finish(TransferResult::Success);
}

void AsciiEngine::onOutputDrained()
{
    if (!sending_ || pace_.isActive())
        return;
    if (draining_)
        finish(TransferResult::Success);
    else
        pump();
}
