#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/link/ByteLink.h"
#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/ProtLog.h"
#include "comms/transfer/TransferEngine.h"
#include "comms/transfer/TransferHost.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>

// The transfer engine object the program talks to: protocol type, file name,
// file mask, destination folder and options; start transmit or receive over
// a link; events for accept, error, finish, next file and status.
class ProtocolEngine : public QObject, private TransferHost {
    Q_OBJECT
public:
    // The events a handler answers or wraps (see HandlerChain for the order).
    // nextFile: a handler that supplies the next file to send sets the path
    // (empty: no more files) and consumes the event; when none does, the
    // files come from the file name, or from the file mask (wildcards
    // allowed in its last part).
    // accept: a handler that decides on a file to receive sets the answer
    // and consumes the event; when none does, the file is accepted.
    // finish: the transfer is over, with its TransferResult code.
    struct Events {
        HandlerChain<QString &> nextFile;
        HandlerChain<const QString &, bool &> accept;
        HandlerChain<int> finish;
    };

    explicit ProtocolEngine(QObject *parent = nullptr);
    ~ProtocolEngine() override;

    void setLink(ByteLink *link) { link_ = link; }
    ByteLink *link() const { return link_; }

    void setProtocolType(ProtocolType type) { type_ = type; }
    ProtocolType protocolType() const { return type_; }
    void setFileName(const QString &name) { fileName_ = name; }
    QString fileName() const { return fileName_; }
    void setFileMask(const QString &mask) { fileMask_ = mask; }
    QString fileMask() const { return fileMask_; }
    void setDestinationDirectory(const QString &dir) { destinationDir_ = dir; }
    QString destinationDirectory() const { return destinationDir_; }

    ProtocolOptions &options() { return options_; }
    const ProtocolOptions &options() const { return options_; }
    void setOptions(const ProtocolOptions &options) { options_ = options; }

    ProtLog &history() { return history_; }

    Events &events() { return events_; }

    // Start a transfer. When it cannot start (no link or a link that is
    // down, no protocol, one running, protocol unavailable) the error and
    // finish events follow with NotReady and the answer is false.
    bool startTransmit();
    bool startReceive();
    // Starts with bytes already taken from the line: the start sequence the
    // terminal saw (B+ ENQ or DLE, a Zmodem header) goes to the engine first.
    bool startTransmit(const QByteArray &alreadyReceived);
    bool startReceive(const QByteArray &alreadyReceived);
    bool inProgress() const { return engine_ != nullptr; }
    void cancel();

    const TransferStatus &status() const;
    // The last file accepted for receiving (empty before any).
    QString acceptedFileName() const { return acceptedFileName_; }

signals:
    void accepted(const QString &localPath);
    void error(int code);
    void statusChanged(const TransferStatus &status);

private:
    bool start(bool sending, const QByteArray &alreadyReceived);
    void failToStart();
    void engineFinished(int code);
    QStringList filesFromMask() const;

    QString nextFileToSend() override;
    bool acceptIncoming(const QString &localPath) override;
    ReceivePolicy receivePolicy() const override;
    QString requestedFileName() const override;
    void fileFinished(const FileOutcome &outcome) override;

    QPointer<ByteLink> link_;
    ProtocolType type_ = ProtocolType::Zmodem;
    QString fileName_;
    QString fileMask_ = QStringLiteral("*.*");
    QString destinationDir_;
    ProtocolOptions options_;
    ProtLog history_;
    Events events_;
    std::unique_ptr<TransferEngine> engine_;
    QStringList sendQueue_;
    QString acceptedFileName_;
    QString storedName_; // of the file being received, for the history
    TransferStatus idleStatus_;
    QTimer statusTimer_;
};
