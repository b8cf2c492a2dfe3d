#pragma once

#include "comms/link/ByteLink.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

class QSocketNotifier;

// A program run with its standard input and output on pipes, seen as the
// far end of a serial line: what it writes is taken from its pipe no faster
// than bytesPerSecond, so its pipe (as small as a port's output queue
// unless the program enlarges it) fills as that queue would;
// what is sent to it is written at once. Two of these joined by a
// NoiseRelay make a paced, noisy line between two programs.
class PacedProgram : public ByteLink {
    Q_OBJECT
public:
    explicit PacedProgram(int bytesPerSecond, QObject *parent = nullptr);
    ~PacedProgram() override;

    // False when the pipes or the program cannot be had.
    bool start(const QString &program, const QStringList &args, const QString &workDir);
    bool hasExited() const { return exited_; }
    int exitCode() const { return process_.exitCode(); }
    QByteArray diagnostics() { return process_.readAllStandardError().right(2000); }
    // Bytes the line has taken from the program so far.
    qint64 bytesTaken() const { return taken_; }
    // Bytes the program wrote that are still waiting in its pipe.
    qint64 bytesWaiting() const;

    void send(const QByteArray &bytes) override;
    qint64 pendingOutput() const override { return outbox_.size(); }
    void discardOutput() override { outbox_.clear(); }
    bool isConnected() const override { return readFd_ >= 0; }

private:
    void take();
    void writeOutbox();
    void closeInput();

    const int bytesPerSecond_;
    QProcess process_;
    QTimer tick_;
    QElapsedTimer clock_;
    qint64 lastTickNs_ = 0;
    double credit_ = 0;
    qint64 taken_ = 0;
    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier *writable_ = nullptr;
    QByteArray outbox_;
    bool exited_ = false;
};
