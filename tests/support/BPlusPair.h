#pragma once

#include "comms/link/ByteLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "comms/transfer/TransferHost.h"
#include "comms/transfer/bplus/BPlusParams.h"

#include <QByteArray>
#include <QString>

#include <memory>

class BPlusHost;

// The host side's files: one file to send, or one name to ask for.
class BPlusHostFiles : public TransferHost {
public:
    QString sendPath;
    QString askName;
    QString dir;

    QString nextFileToSend() override;
    bool acceptIncoming(const QString &) override { return true; }
    ReceivePolicy receivePolicy() const override;
    QString requestedFileName() const override { return askName; }
    void fileFinished(const FileOutcome &) override { }
};

// A B+ terminal side (the protocol object the program uses) and our host
// side on two links, as the tests drive them.
struct BPlusPair {
    BPlusPair(ByteLink *terminalLink, ByteLink *hostLink, const QString &terminalDir, const QString &hostDir);
    ~BPlusPair();

    ProtocolEngine terminal;
    BPlusHostFiles hostFiles;
    BPlus::Params hostParams;
    std::unique_ptr<BPlusHost> host;
    int terminalCode = -1;
    int hostCode = -1;

    // The host sends `path` to the terminal (a download).
    void download(const QString &path);
    // The host asks the terminal for a file it stores as `name`; the
    // terminal offers `path` (empty: it has none).
    void upload(const QString &path, const QString &name);
    // Starts only the host (the terminal is started by the test).
    void startHost(bool sending);
    // Waits until both sides finished; false on time-out.
    bool wait(int seconds = 120);

private:
    ByteLink *hostLink_;
};
