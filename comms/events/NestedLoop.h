#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

// A local event loop for a call that returns only when something has
// happened (a wait for text, a break with yield), with the survival check in
// one place: the loop also ends when the object it runs for is destroyed.
class NestedLoop {
public:
    explicit NestedLoop(QObject *owner);
    NestedLoop(const NestedLoop &) = delete;
    NestedLoop &operator=(const NestedLoop &) = delete;

    void quit() { loop_.quit(); }
    template <typename Sender, typename Signal> void quitOn(const Sender *sender, Signal signal)
    {
        QObject::connect(sender, signal, &loop_, &QEventLoop::quit);
    }

    // Runs until quit or timeoutMs (negative: no limit). False when the
    // owner was destroyed meanwhile: the caller must not touch it.
    bool run(qint64 timeoutMs);

private:
    QPointer<QObject> owner_;
    QEventLoop loop_;
    QTimer timeout_;
};
