#pragma once

#include "comms/transfer/ProtocolEngine.h"
#include "support/LinkPair.h"
#include "support/NoiseRelay.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Our sender and our receiver, with a relay between them that may add noise.
struct KermitSession {
    explicit KermitSession(const NoiseRelay::Settings &noise = {})
        : relay(&toRelay.b, &fromRelay.a, noise)
    {
        for (ProtocolEngine *e : {&sender, &receiver}) {
            e->setProtocolType(ProtocolType::Kermit);
            e->options().kermitTimeoutSecs = 1;
        }
        sender.setLink(&toRelay.a);
        receiver.setLink(&fromRelay.b);
        receiver.setDestinationDirectory(dst.path());
        QObject::connect(&sender, &ProtocolEngine::finished, &sender, [this](int c) { sendCode = c; });
        QObject::connect(&receiver, &ProtocolEngine::finished, &receiver, [this](int c) { receiveCode = c; });
    }
    void setBoth(int maxLen, int windows, bool streaming)
    {
        for (ProtocolEngine *e : {&sender, &receiver}) {
            e->options().kermitMaxLen = maxLen;
            e->options().kermitMaxWindows = windows;
            e->options().kermitStreaming = streaming;
        }
    }
    bool run(int timeoutMs = 120000)
    {
        receiver.startReceive();
        sender.startTransmit();
        return QTest::qWaitFor([this] { return sendCode >= 0 && receiveCode >= 0; }, timeoutMs);
    }
    QStringList received() const { return QDir(dst.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir src, dst;
    LinkPair toRelay, fromRelay;
    NoiseRelay relay;
    ProtocolEngine sender, receiver;
    int sendCode = -1, receiveCode = -1;
};
