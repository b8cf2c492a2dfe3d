#pragma once

#include "comms/line/LineSpec.h"
#include "comms/transfer/TransferTypes.h"

#include <QString>
#include <QStringList>

// What the command line asks tarnex-xfer to do.
struct XferRequest {
    XferRequest() { line.serial.baud = 115200; }

    bool sending = false;
    ProtocolType protocol = ProtocolType::None;
    ProtocolOptions options;
    QStringList files; // to send
    QString directory; // to receive into
    QString fileName; // name for protocols that carry none
    QString historyFile;
    bool progress = false;

    // Standard input and output when no line is named.
    LineSpec line;
};

// Exit status for a command line that cannot be run; transfer results use 1-13.
inline constexpr int usageErrorStatus = 64;

// Parses the arguments (program name first). On failure returns false with
// a message for the user; with --help returns false and an empty message
// after printing the help text.
bool parseXferCommandLine(const QStringList &arguments, XferRequest *request, QString *error);
