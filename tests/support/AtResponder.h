#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QSerialPort>

// The far end of a pseudo-terminal pair that answers AT commands from a
// table, as a modem would: each command line (ended by CR, or "+++" on its
// own) is recorded with the time it arrived and answered by its rule.
class AtResponder {
public:
    bool open(const QString &path);
    // Commands starting with prefix get these replies in turn, the last one
    // repeating; an empty reply leaves the command unanswered. Earlier rules win.
    void on(const QByteArray &prefix, const QList<QByteArray> &replies);
    // Bytes as the modem sends them unasked (RING, NO CARRIER, data).
    void send(const QByteArray &bytes);

    QList<QByteArray> commands;
    // Milliseconds since open() at which each command arrived.
    QList<qint64> arrivals;
    QByteArray got;

private:
    struct Rule {
        QByteArray prefix;
        QList<QByteArray> replies;
        int used = 0;
    };
    void onRead();
    void take(const QByteArray &command);

    QSerialPort port_;
    QByteArray line_;
    QElapsedTimer clock_;
    QList<Rule> rules_;
};
