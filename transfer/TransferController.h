#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/transfer/TransferTypes.h"
#include "transfer/TransferSwitches.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class Comport;
class ComportLink;
class DeviceList;
class DocumentLauncher;
class EventSounds;
class MainView;
class ProtocolEngine;
class SessionState;
class SettingsStore;
class TLog;
class TransferDialogs;
class UserPrompt;
struct Directories;

// What the transfer controller works with, all owned by the application.
struct TransferParts {
    Comport &port;
    ProtocolEngine &engine;
    SessionState &state;
    MainView &view;
    TLog &log;
    UserPrompt &prompt;
    TransferDialogs &dialogs;
    SettingsStore &settings;
    // The upload folder follows the files the user picks.
    Directories &directories;
    QString programDir;
    const DeviceList &devices;
    EventSounds &sounds;
    DocumentLauncher &launcher;
    std::function<TransferSwitches()> switches;
};

// Starts, tracks and finishes the engine's transfers over the open line:
// uploads and downloads from the Transfer menu, files dropped on the
// window, the automatic Zmodem download when the remote side starts "rz",
// and B+ when the host starts it. While a transfer runs the terminal is
// inactive and the buttons are disabled; the engine holds the line.
class TransferController : public QObject {
    Q_OBJECT
public:
    // The remote's echo of the command that starts a Zmodem send.
    static constexpr char autoZmodemSequence[] = "rz\r";
    // The protocol-complete notice follows a transfer after this many ticks.
    static constexpr qint64 completeNoticeTicks = 18;
    // After a failed transfer the line is quiet this long before the
    // terminal has it again, or this long at most.
    static constexpr int discardQuietMs = 500;
    static constexpr int discardMaxMs = 10000;

    explicit TransferController(TransferParts parts, QObject *parent = nullptr);
    ~TransferController() override;

    // "&Send" once the menu has closed (the upload message).
    void UploadDialog();
    // "&Recieve".
    void Recieve1Click();
    // Sends fileName without asking; with an empty name the user picks the
    // file or the batch.
    void DoUpload(ProtocolType protocol, const QString &fileName);
    // Receives with the protocol, file name and destination set on the engine.
    void DoDownload();
    // Files dropped on the main window.
    void filesDropped(const QStringList &paths);
    // Esc or "Cancel Transfer".
    void cancelByUser();
    // The terminal saw a B+ start sequence; start holds it and what followed.
    void bPlusStarted(const QByteArray &start);
    void ViewDownloadDir();
    void ViewUploadDir();

    void EnableZmodemAutoStart();
    // A connection is up: the automatic Zmodem trigger when it is switched
    // on, and B+ detection.
    void armForConnection();
    // A connection is going: both off again.
    void removeForDisconnect();
    bool autoZmodemArmed() const { return zmodemAutoTrigger_ != 0; }
    // Removes the automatic Zmodem trigger when armed, logging logLine
    // (when not empty).
    void removeAutoTrigger(const QString &logLine);
    bool isTransferring() const;

    const QStringList &batchList() const { return batchList_; }
    QString acceptedFileName() const { return acceptedFileName_; }

signals:
    // A transfer has started: the engine's status window shows.
    void transferStarted();
    // The engine's status window is rebuilt for the next transfer.
    void statusWindowReset();

private:
    // The protocol number chosen in the dialog, 0 for none.
    ProtocolType chooseProtocol();
    bool pickSingleFile();
    bool pickBatch();
    QString downloadDestination() const;
    void enterTransfer();
    bool startSending();
    bool startReceiving(const QByteArray &alreadyReceived);
    void resetProtocol(ProtocolType protocol);

    QString nextFile();
    void showError(int code);
    void Finished(int code);
    void completeNoticeFired(int handle);
    QString finishedTitle() const;

    TransferParts parts_;
    std::unique_ptr<ComportLink> link_;
    std::vector<HandlerRegistration> handlers_;
    int zmodemAutoTrigger_ = 0;
    int completeTimer_ = 0;
    QStringList batchList_;
    qsizetype batchIndex_ = 0;
    QString uploadFileName_;
    QString acceptedFileName_;
};
