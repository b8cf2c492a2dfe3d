#pragma once

#include <QByteArray>
#include <QObject>

// A byte pipe to the other side: what the transfer engines and tools talk
// through. The line (serial or socket port), a pipe pair or standard
// input/output all present themselves this way.
//
// send() queues bytes in order and never blocks; pendingOutput() tells how
// many are still queued so a sender can pace itself and resume on
// outputDrained(). received() delivers bytes exactly as they arrived.
class ByteLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ByteLink() override = default;

    virtual void send(const QByteArray &bytes) = 0;
    virtual qint64 pendingOutput() const = 0;
    // Bytes sent that have not left for the other side yet: the queue above
    // and what the system still holds for the line (a pipe, a terminal's
    // output queue, a socket's unsent data), where the link can tell.
    virtual qint64 unsentOutput() const { return pendingOutput(); }
    // Discard bytes queued for sending that have not left yet (used on abort).
    virtual void discardOutput() = 0;
    // False once the other side has gone (pipe closed, carrier lost).
    virtual bool isConnected() const = 0;
    // A hint from the receiver of a one-way stream that needs no prompt
    // answers: the link may gather input for a moment and deliver it in
    // larger pieces, so both ends wake less often. Off unless asked for.
    virtual void setGatherInput(bool on) { Q_UNUSED(on); }
    // The same for the sender of such a stream: when the line is full, the
    // link may wait a moment and then write a larger piece, rather than
    // topping it up each time the other end takes a little.
    virtual void setGatherOutput(bool on) { Q_UNUSED(on); }
    // Received bytes the engine did not use (what followed the end of its
    // session): the link passes them on to whoever reads the line next,
    // where it can.
    virtual void giveBack(const QByteArray &bytes) { Q_UNUSED(bytes); }

signals:
    void received(const QByteArray &bytes);
    // Emitted whenever the output queue has become empty.
    void outputDrained();
    // Emitted once when the other side goes away.
    void disconnected();
};
