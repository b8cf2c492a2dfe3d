#pragma once

#include "XferCommandLine.h"

#include "comms/transfer/ProtocolEngine.h"

#include <QObject>
#include <QTimer>

class ByteLink;
class QIODevice;

// One run of tarnex-xfer: opens the line, runs the transfer, waits for the
// last bytes to leave and reports the exit status.
class XferSession : public QObject {
    Q_OBJECT
public:
    explicit XferSession(const XferRequest &request, QObject *parent = nullptr);

    void start();

signals:
    void done(int exitStatus);

private:
    void openLine();
    void openRawSocket();
    void openTelnet();
    void listening(quint16 port);
    void connectFailed(const QString &reason);
    void useDevice(QIODevice *device);
    void runTransfer(ByteLink *link);
    void transferFinished(int code);
    void exitWith(int code, const QString &message);
    void showProgress(const TransferStatus &status);

    XferRequest request_;
    ProtocolEngine engine_;
    ByteLink *link_ = nullptr;
    QStringList queue_;
    QTimer drainLimit_;
    QString lastProgress_;
    int result_ = 0;
    bool exiting_ = false;
};
