#pragma once

#include "RawTerminal.h"
#include "shell/SignalPipe.h"
#include "XferCommandLine.h"

#include "comms/transfer/ProtocolEngine.h"

#include <QObject>
#include <QTimer>

#include <memory>

class ByteLink;
class Comport;

// One run of tarnex-xfer: opens the line, runs the transfer, waits for the
// last bytes to leave and for the peer to take them, and reports the exit
// status. A terminal on standard input or output is raw meanwhile; SIGINT,
// SIGTERM and SIGHUP cancel the transfer.
class XferSession : public QObject {
    Q_OBJECT
public:
    explicit XferSession(const XferRequest &request, QObject *parent = nullptr);
    ~XferSession() override;

    void start();

signals:
    void done(int exitStatus);

private:
    void openLine();
    void useStandardIo();
    void startWhenConnected();
    void connectFailed(const QString &reason);
    void runTransfer(ByteLink *link);
    QString nextFile();
    void transferFinished(int code);
    QString fileProblem(int code) const;
    void interrupted(int signalNumber);
    void exitWith(int code, const QString &message);
    void linger();
    void leave();
    void showProgress(const TransferStatus &status);

    XferRequest request_;
    ProtocolEngine engine_;
    std::unique_ptr<Comport> port_;
    ByteLink *link_ = nullptr;
    RawTerminal terminal_;
    SignalPipe signals_;
    QStringList queue_;
    QString sendProblem_;
    QTimer stopLimit_;
    QString lastProgress_;
    int result_ = 0;
    int signal_ = 0;
    // Which side of a connection spoke last: only our own last bytes need
    // the peer to stay connected until it has read them.
    bool peerSpokeLast_ = false;
    bool exiting_ = false;
    bool lingering_ = false;
    bool left_ = false;
};
