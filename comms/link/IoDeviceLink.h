#pragma once

#include "comms/link/ByteLink.h"

#include <QPointer>

class QIODevice;

// A ByteLink over any open QIODevice: a QProcess, a QTcpSocket, a QSerialPort.
// The device is not owned.
class IoDeviceLink : public ByteLink {
    Q_OBJECT
public:
    explicit IoDeviceLink(QIODevice *device, QObject *parent = nullptr);

    void send(const QByteArray &bytes) override;
    qint64 pendingOutput() const override;
    void discardOutput() override;
    bool isConnected() const override;

private:
    void readAvailable();
    void onBytesWritten();
    void markGone();

    QPointer<QIODevice> device_;
    bool gone_ = false;
};
