#include "comms/link/IoDeviceLink.h"

#include <QAbstractSocket>
#include <QIODevice>
#include <QProcess>
#include <QSerialPort>

IoDeviceLink::IoDeviceLink(QIODevice *device, QObject *parent)
    : ByteLink(parent)
    , device_(device)
{
    connect(device, &QIODevice::readyRead, this, &IoDeviceLink::readAvailable);
    connect(device, &QIODevice::bytesWritten, this, &IoDeviceLink::onBytesWritten);
    connect(device, &QIODevice::readChannelFinished, this, &IoDeviceLink::markGone);
    // A serial port closed after a hang-up ends the line too.
    connect(device, &QIODevice::aboutToClose, this, &IoDeviceLink::markGone);
    connect(device, &QObject::destroyed, this, &IoDeviceLink::markGone);
    if (auto *socket = qobject_cast<QAbstractSocket *>(device))
        connect(socket, &QAbstractSocket::disconnected, this, &IoDeviceLink::markGone);
    if (auto *process = qobject_cast<QProcess *>(device))
        connect(process, &QProcess::finished, this, [this] {
            readAvailable();
            markGone();
        });
}

void IoDeviceLink::send(const QByteArray &bytes)
{
    if (!device_ || gone_ || bytes.isEmpty())
        return;
    device_->write(bytes);
}

qint64 IoDeviceLink::pendingOutput() const
{
    return device_ ? device_->bytesToWrite() : 0;
}

void IoDeviceLink::discardOutput()
{
    // Only a serial port can drop what it has queued; a pipe or socket
    // delivers what was written before the abort.
    if (auto *serial = qobject_cast<QSerialPort *>(device_.data()))
        serial->clear(QSerialPort::Output);
}

bool IoDeviceLink::isConnected() const
{
    return device_ && !gone_ && device_->isOpen();
}

void IoDeviceLink::readAvailable()
{
    if (!device_)
        return;
    const QByteArray bytes = device_->readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void IoDeviceLink::onBytesWritten()
{
    if (device_ && device_->bytesToWrite() == 0)
        emit outputDrained();
}

void IoDeviceLink::markGone()
{
    if (gone_)
        return;
    gone_ = true;
    emit disconnected();
}
