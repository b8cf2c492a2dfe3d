#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

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
