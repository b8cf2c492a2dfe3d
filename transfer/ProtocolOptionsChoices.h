#pragma once

#include "comms/transfer/TransferTypes.h"
#include "transfer/TransferSwitches.h"

#include <QString>

class PhonebookEntry;

// What the protocol options dialog shows: the boxes, the lists' item numbers
// and the number edits' texts as typed.
struct ProtocolOptionsChoices {
    bool honorDirectory = false;
    bool includeDirectory = false;
    bool rtsLowForWrite = false;
    bool abortNoCarrier = false;
    bool launchApp = false;
    int writeFailAction = 3;

    bool zmodemOptionOverride = false;
    bool zmodemSkipNoFile = false;
    bool zmodemRecover = false;
    bool zmodem8K = false;
    bool autoZmodem = true;
    int zmodemFileOption = 4;

    QString kermitMaxLen;
    QString kermitMaxWindows;
    QString kermitTimeoutSecs;

    QString asciiCharDelay;
    QString asciiLineDelay;
    QString asciiEofTimeout;
    int asciiCr = 0;
    int asciiLf = 0;

    static ProtocolOptionsChoices from(const ProtocolOptions &options, const TransferSwitches &switches);
    // Into the entry's fields (cut to their lengths) and the two switches.
    void store(PhonebookEntry &entry, TransferSwitches &switches) const;
};
