#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Real peers for line tests, each a socat process that is stopped when the
// object goes.

// A pair of connected pseudo-terminals.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    bool start();
    QString near() const { return dir_.filePath(QStringLiteral("near")); }
    QString far() const { return dir_.filePath(QStringLiteral("far")); }
    // Ends socat, which closes both pseudo-terminals.
    void stop();

private:
    QTemporaryDir dir_;
    QProcess socat_;
};

// A TCP listener on a free loopback port that runs a program per connection
// with the accepted socket as its standard input, output and error.
class SocketExec {
public:
    SocketExec() = default;
    ~SocketExec();
    bool start(const QString &command);
    quint16 port() const { return port_; }

private:
    QProcess socat_;
    quint16 port_ = 0;
};

// A program run on a pseudo-terminal (as a user would at a console), its
// output collected.
class PtyProgram {
public:
    ~PtyProgram();
    bool start(const QString &program, const QStringList &arguments);
    void write(const QByteArray &bytes);
    QByteArray output();

private:
    QProcess socat_;
    QByteArray output_;
};
