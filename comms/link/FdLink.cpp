#include "comms/link/FdLink.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype readChunk = 256 * 1024;
// Pipe capacity asked for: a deeper pipe lets both sides run in longer
// stretches between waits.
constexpr int pipeBytes = 1024 * 1024;
// Gathering waits this long after a short read or a full pipe, and only
// where the pipe holds at least gatherPipeBytes (what a fast peer moves
// meanwhile).
constexpr int gatherMs = 1;
constexpr int gatherPipeBytes = 512 * 1024;

int makeNonBlocking(int fd)
{
#ifdef F_SETPIPE_SZ
    // Fails harmlessly when fd is no pipe or the limit is lower.
    fcntl(fd, F_SETPIPE_SZ, pipeBytes);
#endif
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    return flags;
}

int pipeCapacity(int fd)
{
#ifdef F_GETPIPE_SZ
    return fcntl(fd, F_GETPIPE_SZ);
#else
    Q_UNUSED(fd);
    return -1;
#endif
}

// What kind of file a descriptor is, for asking how much written to it the
// system has not yet passed on.
FdLink::Queue queueOf(int fd)
{
    struct stat st { };
    if (fstat(fd, &st) != 0)
        return FdLink::Queue::None;
    if (S_ISFIFO(st.st_mode))
        return FdLink::Queue::Pipe;
    if (S_ISSOCK(st.st_mode))
        return FdLink::Queue::Socket;
    if (S_ISCHR(st.st_mode) && isatty(fd))
        return FdLink::Queue::Terminal;
    return FdLink::Queue::None;
}

} // namespace

FdLink::FdLink(int readFd, int writeFd, QObject *parent)
    : ByteLink(parent)
    , readFd_(readFd)
    , writeFd_(writeFd)
    , readFlags_(makeNonBlocking(readFd))
    , writeFlags_(makeNonBlocking(writeFd))
    , writeQueue_(queueOf(writeFd))
    , readNotifier_(new QSocketNotifier(readFd, QSocketNotifier::Read, this))
    , writeNotifier_(new QSocketNotifier(writeFd, QSocketNotifier::Write, this))
{
    writeNotifier_->setEnabled(false);
    canGatherInput_ = pipeCapacity(readFd) >= gatherPipeBytes;
    canGatherOutput_ = pipeCapacity(writeFd) >= gatherPipeBytes;
    for (QTimer *timer : {&inputTimer_, &outputTimer_}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(gatherMs);
    }
    connect(&inputTimer_, &QTimer::timeout, this, [this] {
        if (gone_)
            return;
        readNotifier_->setEnabled(true);
        readAvailable();
    });
    connect(&outputTimer_, &QTimer::timeout, this, &FdLink::writeQueued);
    connect(readNotifier_, &QSocketNotifier::activated, this, &FdLink::readAvailable);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &FdLink::writeQueued);
}

FdLink::~FdLink()
{
    if (readFlags_ >= 0)
        fcntl(readFd_, F_SETFL, readFlags_);
    if (writeFlags_ >= 0)
        fcntl(writeFd_, F_SETFL, writeFlags_);
}

void FdLink::send(const QByteArray &bytes)
{
    if (gone_ || bytes.isEmpty())
        return;
    out_.append(bytes);
    if (!writeNotifier_->isEnabled() && !outputTimer_.isActive())
        writeQueued();
}

qint64 FdLink::unsentOutput() const
{
    // Unread in a pipe, queued for a terminal's line, not yet sent by a
    // socket (what is on the way to the peer is past recall anyway).
    int request = 0;
    switch (writeQueue_) {
    case Queue::None:
        return pendingOutput();
    case Queue::Pipe:
        request = FIONREAD;
        break;
    case Queue::Terminal:
        request = TIOCOUTQ;
        break;
    case Queue::Socket:
        request = SIOCOUTQNSD;
        break;
    }
    int held = 0;
    if (ioctl(writeFd_, request, &held) != 0)
        held = 0;
    return pendingOutput() + held;
}

void FdLink::discardOutput()
{
    out_.clear();
    outPos_ = 0;
}

void FdLink::readAvailable()
{
    qint64 taken = 0;
    for (;;) {
        // Read straight into the array that is handed on; reuse it unless a
        // receiver kept a reference to the last one.
        if (!inbox_.isDetached())
            inbox_ = QByteArray();
        inbox_.resize(readChunk);
        const ssize_t n = ::read(readFd_, inbox_.data(), readChunk);
        if (n > 0) {
            inbox_.resize(n);
            taken += n;
            emit received(inbox_);
            if (gone_)
                return;
            if (n < readChunk) {
                // A peer that filled most of the pipe meanwhile is fast
                // enough to wake us rarely: wait for it as usual.
                if (gatherInput_ && taken < gatherPipeBytes) {
                    readNotifier_->setEnabled(false);
                    inputTimer_.start();
                }
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        markGone();
        return;
    }
}

void FdLink::writeQueued()
{
    while (outPos_ < out_.size()) {
        const ssize_t n = ::write(writeFd_, out_.constData() + outPos_, out_.size() - outPos_);
        if (n > 0) {
            outPos_ += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (outPos_ > readChunk) {
                out_.remove(0, outPos_);
                outPos_ = 0;
            }
            writeNotifier_->setEnabled(!gatherOutput_);
            if (gatherOutput_)
                outputTimer_.start();
            return;
        }
        discardOutput();
        markGone();
        return;
    }
    out_.clear();
    outPos_ = 0;
    writeNotifier_->setEnabled(false);
    reportDrained();
}

void FdLink::reportDrained()
{
    // Never from inside send(): the sender may be in the middle of a loop.
    if (drainPosted_)
        return;
    drainPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            drainPosted_ = false;
            if (pendingOutput() == 0)
                emit outputDrained();
        },
        Qt::QueuedConnection);
}

void FdLink::markGone()
{
    if (gone_)
        return;
    gone_ = true;
    inputTimer_.stop();
    outputTimer_.stop();
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    emit disconnected();
}
