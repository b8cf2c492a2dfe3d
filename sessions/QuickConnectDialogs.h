#pragma once

#include "sessions/DeviceList.h"

#include <QString>

// What "Select comport" shows and returns. kind is the quick-connect kind:
// 2 serial, 3 TCP/IP.
struct ComportChoice {
    int kind = 3;
    QString address;
    QString port;
    // The chosen COM number; 0 when the list is empty.
    int comNumber = 0;
};

// What "Comport parameters" shows and returns. Indexes are those of the
// dialog's lists: baud table index, parity 0-4, data bits 8 - index, stop
// bits index + 1.
struct ComportParameters {
    int baudIndex = 7;
    int parity = 0;
    int dataBitsIndex = 0;
    int stopBitsIndex = 0;
    bool dtrDsr = false;
    bool rtsCts = true;
    bool swTransmit = false;
    bool swReceive = false;
    QString xon = QStringLiteral("17");
    QString xoff = QStringLiteral("19");
    // Shown and returned as the user sees them (the back-quote marker of
    // the settings is the caller's business).
    QString init;
    QString dialCommand;

    bool operator==(const ComportParameters &) const = default;
};

// The two quick-connect dialogs; tests answer them from a script.
class QuickConnectDialogs {
public:
    virtual ~QuickConnectDialogs() = default;
    // Shows "Select comport" over ports (the COM entries of the device list).
    // choice.kind follows the radio buttons even when the user cancels;
    // false on cancel.
    virtual bool selectComport(ComportChoice &choice, const QList<DeviceEntry> &ports) = 0;
    // Shows "Comport parameters"; false on cancel.
    virtual bool comportParameters(ComportParameters &parameters) = 0;
};
