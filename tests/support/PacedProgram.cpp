#include "support/PacedProgram.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int tickMs = 5;
// What the program's output pipe holds: about a port's output queue.
constexpr int outputQueueBytes = 4096;
// What the line may catch up after a late tick; an idle line banks nothing.
constexpr int catchUpTicks = 4;

} // namespace

PacedProgram::PacedProgram(int bytesPerSecond, QObject *parent)
    : ByteLink(parent)
    , bytesPerSecond_(bytesPerSecond)
{
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(tickMs);
    connect(&tick_, &QTimer::timeout, this, &PacedProgram::take);
    connect(&process_, &QProcess::finished, this, [this] { exited_ = true; });
}

PacedProgram::~PacedProgram()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    closeInput();
    delete writable_;
    if (writeFd_ >= 0)
        ::close(writeFd_);
}

bool PacedProgram::start(const QString &program, const QStringList &args, const QString &workDir)
{
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    fcntl(fromChild[1], F_SETPIPE_SZ, outputQueueBytes);
    const int childIn = toChild[0];
    const int childOut = fromChild[1];
    process_.setWorkingDirectory(workDir);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setChildProcessModifier([childIn, childOut] {
        dup2(childIn, STDIN_FILENO);
        dup2(childOut, STDOUT_FILENO);
        signal(SIGPIPE, SIG_DFL);
    });
    // A program that goes away must not take us with it on the next write.
    signal(SIGPIPE, SIG_IGN);
    process_.start(program, args);
    const bool started = process_.waitForStarted(10000);
    ::close(childIn);
    ::close(childOut);
    readFd_ = fromChild[0];
    writeFd_ = toChild[1];
    fcntl(readFd_, F_SETFL, fcntl(readFd_, F_GETFL) | O_NONBLOCK);
    fcntl(writeFd_, F_SETFL, fcntl(writeFd_, F_GETFL) | O_NONBLOCK);
    writable_ = new QSocketNotifier(writeFd_, QSocketNotifier::Write, this);
    writable_->setEnabled(false);
    connect(writable_, &QSocketNotifier::activated, this, &PacedProgram::writeOutbox);
    if (!started)
        return false;
    clock_.start();
    tick_.start();
    return true;
}

qint64 PacedProgram::bytesWaiting() const
{
    int waiting = 0;
    return readFd_ >= 0 && ioctl(readFd_, FIONREAD, &waiting) == 0 ? waiting : 0;
}

void PacedProgram::take()
{
    const qint64 now = clock_.nsecsElapsed();
    credit_ += double(now - lastTickNs_) * bytesPerSecond_ / 1e9;
    lastTickNs_ = now;
    credit_ = qMin(credit_, double(bytesPerSecond_) * tickMs * catchUpTicks / 1000);
    const qsizetype allowed = qsizetype(credit_);
    if (readFd_ < 0 || allowed <= 0)
        return;
    QByteArray bytes(allowed, Qt::Uninitialized);
    const ssize_t n = ::read(readFd_, bytes.data(), allowed);
    if (n > 0) {
        bytes.resize(n);
        credit_ -= double(n);
        taken_ += n;
        emit received(bytes);
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        closeInput();
        emit disconnected();
    } else {
        credit_ = qMin(credit_, double(bytesPerSecond_) * tickMs / 1000);
    }
}

void PacedProgram::send(const QByteArray &bytes)
{
    if (writeFd_ < 0 || bytes.isEmpty())
        return;
    outbox_.append(bytes);
    if (!writable_->isEnabled())
        writeOutbox();
}

void PacedProgram::writeOutbox()
{
    while (!outbox_.isEmpty()) {
        const ssize_t n = ::write(writeFd_, outbox_.constData(), outbox_.size());
        if (n > 0) {
            outbox_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // A full pipe waits; a program that has gone reads nothing more.
        writable_->setEnabled(n < 0 && errno == EAGAIN);
        if (!writable_->isEnabled())
            outbox_.clear();
        return;
    }
    writable_->setEnabled(false);
    emit outputDrained();
}

void PacedProgram::closeInput()
{
    tick_.stop();
    if (readFd_ >= 0)
        ::close(readFd_);
    readFd_ = -1;
}
