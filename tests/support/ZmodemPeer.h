#pragma once

#include "comms/link/ByteLink.h"

#include <QObject>
#include <QProcess>
#include <QSerialPort>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Runs a transfer program (sz, rz, a helper binary) as the far side of a
// transfer: over a pipe pair (its standard input and output) or over a
// socat pseudo-terminal pair. link() is our end.
class ZmodemPeer : public QObject {
public:
    enum class Line { Pipe, Pty };

    explicit ZmodemPeer(QObject *parent = nullptr);
    ~ZmodemPeer() override;

    // False with a message in error() when the line or program cannot start.
    bool start(Line line, const QString &program, const QStringList &args, const QString &workDir);
    ByteLink *link() const { return link_.get(); }
    bool hasExited() const { return process_.state() == QProcess::NotRunning && started_; }
    int exitCode() const { return process_.exitCode(); }
    QString error() const { return error_; }
    // What the program wrote on standard error, for failure messages.
    QByteArray diagnostics();
    void kill();

private:
    bool startPty(QString *ourEnd, QString *theirEnd);

    QProcess process_;
    QProcess socat_;
    QSerialPort serial_;
    QTemporaryDir scratch_;
    std::unique_ptr<ByteLink> link_;
    QString error_;
    QByteArray stderr_;
    bool started_ = false;
};
