#pragma once

#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/TransferTypes.h"

#include <QString>

// What an engine asks of whoever runs it (the protocol object).
class TransferHost {
public:
    virtual ~TransferHost() = default;
    // The next file to send, or empty when the batch is done.
    virtual QString nextFileToSend() = 0;
    // Offered a received file at its local path; false refuses it.
    virtual bool acceptIncoming(const QString &localPath) = 0;
    // How received files are named and placed.
    virtual ReceivePolicy receivePolicy() const = 0;
    // The name given for protocols that carry none (Xmodem, ASCII).
    virtual QString requestedFileName() const = 0;
    virtual void fileFinished(const FileOutcome &outcome) = 0;
};
