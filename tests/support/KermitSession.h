#pragma once

#include "support/TransferSession.h"

// Our Kermit sender and receiver, with short time-outs.
struct KermitSession : TransferSession {
    explicit KermitSession(const NoiseRelay::Settings &noise = {})
        : TransferSession(ProtocolType::Kermit, noise)
    {
        for (ProtocolEngine *e : {&sender, &receiver})
            e->options().kermitTimeoutSecs = 1;
    }
    void setBoth(int maxLen, int windows, bool streaming)
    {
        for (ProtocolEngine *e : {&sender, &receiver}) {
            e->options().kermitMaxLen = maxLen;
            e->options().kermitMaxWindows = windows;
            e->options().kermitStreaming = streaming;
        }
    }
};
