#pragma once

#include "comms/events/HandlerChain.h"

#include <QFile>
#include <QObject>

#include <functional>

class BinarySendProgress;
class Comport;
class MainView;

// Sends one file over the port as it is, with no protocol. Each block is
// written when the port's output-buffer-free trigger fires, so the send
// never waits and the output buffer never overflows.
class BinarySend : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 blockSize = 2048;
    // Room the output buffer must have before the next block is written.
    static constexpr int freeWanted = 15872;

    // Makes and shows the progress window of one send; it stays the
    // caller's until windowDone hands it back.
    using WindowMaker = std::function<BinarySendProgress *()>;

    BinarySend(Comport &port, MainView &view, WindowMaker makeWindow, QObject *parent = nullptr);
    ~BinarySend() override;

    // Shows the progress window and, with the port open, starts sending.
    void start(const QString &path);
    // Ends the send at the next trigger, dropping what is still queued, and
    // gives up the window.
    void cancel();
    bool isSending() const { return sending_; }

signals:
    // The send is over (sent, cancelled or failed): a waiting script may go on.
    void finished();
    // The window is no longer needed; free it after the current event.
    void windowDone(BinarySendProgress *window);

private:
    bool onTrigger(int handle);
    void sendNextBlock();
    // Closes the file and gives the trigger back; the send is no longer running.
    void release();
    void fail(const QString &reason);
    void dropWindow();

    Comport &port_;
    MainView &view_;
    WindowMaker makeWindow_;
    BinarySendProgress *window_ = nullptr;
    HandlerRegistration handler_;
    int trigger_ = 0;
    QFile file_;
    qint64 size_ = 0;
    qint64 sent_ = 0;
    bool sending_ = false;
    bool cancelled_ = false;
};
