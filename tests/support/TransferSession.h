#pragma once

#include "comms/transfer/ProtocolEngine.h"
#include "support/EngineFiles.h"
#include "support/LinkPair.h"
#include "support/NoiseRelay.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

// Our sender and our receiver of one protocol, with a relay between them
// that may add noise.
struct TransferSession {
    explicit TransferSession(ProtocolType type, const NoiseRelay::Settings &noise = {})
        : relay(&toRelay.b, &fromRelay.a, noise)
    {
        for (ProtocolEngine *e : {&sender, &receiver})
            e->setProtocolType(type);
        sender.setLink(&toRelay.a);
        receiver.setLink(&fromRelay.b);
        receiver.setDestinationDirectory(dst.path());
        // The files sent here end in something other than SUB, so Xmodem's
        // padding can be taken off and contents compared exactly.
        receiver.options().xmodemStripPadding = true;
        // A cut line goes away on both sides.
        QObject::connect(&relay, &NoiseRelay::lineCut, &relay, [this] {
            toRelay.close();
            fromRelay.close();
        });
        sender.events().finish.add(HandlerStage::Watchers, [this](int c) {
            sendCode = c;
            quitWhenDone();
            return false;
        });
        receiver.events().finish.add(HandlerStage::Watchers, [this](int c) {
            receiveCode = c;
            quitWhenDone();
            return false;
        });
    }
    // Runs both ends until both finish; false on time-out. An event loop of
    // its own, as polling would add a pause to every exchange.
    bool run(int timeoutMs = 120000)
    {
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        receiver.startReceive();
        sender.startTransmit();
        if (!done())
            loop.exec();
        loop_ = nullptr;
        return done();
    }
    bool done() const { return sendCode >= 0 && receiveCode >= 0; }
    void quitWhenDone()
    {
        if (done() && loop_)
            loop_->quit();
    }
    // Sends these files in turn.
    void sendFiles(const QStringList &paths)
    {
        queue = paths;
        sendInOrder(sender, queue);
    }
    QStringList received() const { return QDir(dst.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir src, dst;
    LinkPair toRelay, fromRelay;
    NoiseRelay relay;
    ProtocolEngine sender, receiver;
    QStringList queue;
    int sendCode = -1, receiveCode = -1;
    QEventLoop *loop_ = nullptr;
};
