#include "support/LinePeers.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace {

void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

PtyPair::PtyPair() = default;

PtyPair::~PtyPair()
{
    stop();
}

bool PtyPair::start()
{
    socat_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    socat_.start(QStringLiteral("socat"),
        {QStringLiteral("PTY,raw,echo=0,link=") + near(), QStringLiteral("PTY,raw,echo=0,link=") + far()});
    if (!socat_.waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(near()) && QFileInfo::exists(far()))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void PtyPair::stop()
{
    stopProcess(socat_);
}

SocketExec::~SocketExec()
{
    stopProcess(socat_);
}

bool SocketExec::start(const QString &command)
{
    // socat reports the port it was given ("listening on AF=2 127.0.0.1:PORT").
    socat_.setProcessChannelMode(QProcess::SeparateChannels);
    socat_.setReadChannel(QProcess::StandardError);
    socat_.start(QStringLiteral("socat"),
        {QStringLiteral("-d"), QStringLiteral("-d"),
            QStringLiteral("TCP-LISTEN:0,bind=127.0.0.1,reuseaddr,fork"),
            QStringLiteral("EXEC:") + command + QStringLiteral(",stderr")});
    if (!socat_.waitForStarted(10000))
        return false;
    static const QRegularExpression listening(QStringLiteral("listening on .*:(\\d+)"));
    QByteArray log;
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && socat_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        log += socat_.readAllStandardError();
        const auto match = listening.match(QString::fromLatin1(log));
        if (match.hasMatch()) {
            port_ = static_cast<quint16>(match.captured(1).toUInt());
            return port_ != 0;
        }
    }
    return false;
}

PtyProgram::~PtyProgram()
{
    stopProcess(socat_);
}

bool PtyProgram::start(const QString &program, const QStringList &arguments)
{
    QString command = program;
    for (const QString &argument : arguments)
        command += QLatin1Char(' ') + argument;
    socat_.setProcessChannelMode(QProcess::MergedChannels);
    socat_.start(QStringLiteral("socat"),
        {QStringLiteral("-"), QStringLiteral("EXEC:") + command + QStringLiteral(",pty,setsid,ctty,stderr")});
    return socat_.waitForStarted(10000);
}

void PtyProgram::write(const QByteArray &bytes)
{
    socat_.write(bytes);
}

QByteArray PtyProgram::output()
{
    output_ += socat_.readAll();
    return output_;
}
