#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <functional>

#include "support/LinePeers.h"

// The modem-fixture program on the far end of a pty pair: a Hayes modem
// whose calls are TCP connections. Stopped when the object goes.
class ModemFixture {
public:
    ~ModemFixture();
    // Options go to the program; a call table, when given, is written to a
    // file for --table. With "--listen" it waits for the port.
    bool start(const QStringList &options, const QByteArray &callTable = {});
    // What the program under test opens.
    QString near() const { return pty_.near(); }
    quint16 listenPort() const { return listenPort_; }
    // The modem's log so far.
    QByteArray log();
    void stop();

private:
    PtyPair pty_;
    QTemporaryDir dir_;
    QProcess modem_;
    QByteArray log_;
    quint16 listenPort_ = 0;
};

// A host on loopback that keeps the one connection it accepts: what a call
// through the fixture reaches.
struct CalledHost : QTcpServer {
    QTcpSocket *peer = nullptr;
    QByteArray got;
    bool listen()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            peer = nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, this, [this] { got += peer->readAll(); });
        });
        return QTcpServer::listen(QHostAddress::LocalHost);
    }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(serverPort()); }
    // A call table line for a number that reaches this host.
    QByteArray entry(const char *number) const { return QByteArray(number) + ' ' + address() + '\n'; }
};

// A terminal without telnet: every option telnetd asks for or offers in
// text is refused, so that it goes on to run its program.
QByteArray telnetRefusals(const QByteArray &text);

// Refuses telnetd's option requests, as a terminal without telnet does, until
// what the program runs answers (30 s at most): wait(ms) waits for more input
// and says whether that answer is in, got() is everything received so far and
// send() types. True when the answer came.
bool refuseTelnetUntilAnswered(const std::function<bool(int ms)> &wait,
    const std::function<QByteArray()> &got, const std::function<void(const QByteArray &)> &send);
