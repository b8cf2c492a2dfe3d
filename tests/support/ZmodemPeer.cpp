#include "ZmodemPeer.h"

#include "comms/link/IoDeviceLink.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

ZmodemPeer::ZmodemPeer(QObject *parent)
    : QObject(parent)
{
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    // A pty whose far end has gone reports errors without end: close it.
    connect(&serial_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError && serial_.isOpen())
            serial_.close();
    });
}

ZmodemPeer::~ZmodemPeer()
{
    link_.reset();
    kill();
    serial_.close();
    if (socat_.state() != QProcess::NotRunning) {
        socat_.terminate();
        socat_.waitForFinished(5000);
    }
}

void ZmodemPeer::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QByteArray ZmodemPeer::diagnostics()
{
    if (process_.processChannelMode() == QProcess::SeparateChannels)
        stderr_ += process_.readAllStandardError();
    return stderr_.right(2000);
}

bool ZmodemPeer::startPty(QString *ourEnd, QString *theirEnd)
{
    *ourEnd = scratch_.filePath(QStringLiteral("ours"));
    *theirEnd = scratch_.filePath(QStringLiteral("theirs"));
    socat_.start(QStringLiteral("socat"),
        {QStringLiteral("pty,raw,echo=0,link=") + *ourEnd,
            QStringLiteral("pty,raw,echo=0,link=") + *theirEnd});
    if (!socat_.waitForStarted(10000)) {
        error_ = QStringLiteral("socat did not start");
        return false;
    }
    const QDeadlineTimer deadline(20000);
    while (!(QFileInfo::exists(*ourEnd) && QFileInfo::exists(*theirEnd))) {
        if (deadline.hasExpired() || socat_.state() == QProcess::NotRunning) {
            error_ = QStringLiteral("socat made no pseudo-terminals");
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

bool ZmodemPeer::start(Line line, const QString &program, const QStringList &args, const QString &workDir)
{
    process_.setWorkingDirectory(workDir);
    if (line == Line::Pipe) {
        link_ = std::make_unique<IoDeviceLink>(&process_);
        process_.start(program, args);
    } else {
        QString ours;
        QString theirs;
        if (!startPty(&ours, &theirs))
            return false;
        serial_.setPortName(QFileInfo(ours).canonicalFilePath());
        if (!serial_.open(QIODevice::ReadWrite)) {
            error_ = QStringLiteral("cannot open %1: %2").arg(ours, serial_.errorString());
            return false;
        }
        link_ = std::make_unique<IoDeviceLink>(&serial_);
        process_.setStandardInputFile(theirs);
        process_.setStandardOutputFile(theirs, QIODevice::Append);
        process_.start(program, args);
    }
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("%1 did not start: %2").arg(program, process_.errorString());
        return false;
    }
    started_ = true;
    return true;
}
