// The engine's and the line's events around a transfer: next file, file
// accepted, error, finished, and the automatic Zmodem start.
#include "transfer/TransferController.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "extras/EventSounds.h"
#include "sessions/DeviceList.h"
#include "sessions/SessionState.h"
#include "shell/DocumentLauncher.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

TransferController::TransferController(TransferParts parts, QObject *parent)
    : QObject(parent)
    , parts_(std::move(parts))
{
    ProtocolEngine::Events &engineEvents = parts_.engine.events();
    handlers_.push_back(engineEvents.nextFile.attach(HandlerStage::Window, [this](QString &path) {
        path = nextFile();
        return true;
    }));
    handlers_.push_back(engineEvents.accept.attach(HandlerStage::Window, [this](const QString &name, bool &) {
        parts_.log.write(QStringLiteral("Protocol accepting file: ") + name);
        acceptedFileName_ = name;
        return false;
    }));
    handlers_.push_back(engineEvents.finish.attach(HandlerStage::Window, [this](int code) {
        Finished(code);
        return false;
    }));
    connect(&parts_.engine, &ProtocolEngine::error, this, &TransferController::showError);

    ComportEvents &line = parts_.port.events();
    handlers_.push_back(line.dataTrigger.attach(HandlerStage::Window, [this](int handle) {
        if (handle == 0 || handle != zmodemAutoTrigger_)
            return false;
        parts_.log.write(QStringLiteral("Got Zmodem autostart"));
        resetProtocol(ProtocolType::Zmodem);
        parts_.engine.setDestinationDirectory(downloadDestination());
        DoDownload();
        return true;
    }));
    handlers_.push_back(line.timerTrigger.attach(HandlerStage::Window, [this](int handle) {
        if (handle == 0 || handle != completeTimer_)
            return false;
        completeNoticeFired(handle);
        return true;
    }));
}

TransferController::~TransferController()
{
    handlers_.clear();
    if (parts_.engine.link() == link_.get())
        parts_.engine.setLink(nullptr);
}

void TransferController::EnableZmodemAutoStart()
{
    if (zmodemAutoTrigger_ != 0)
        return;
    zmodemAutoTrigger_ = parts_.port.addDataTrigger(QByteArray(autoZmodemSequence), false);
    parts_.log.write(QStringLiteral("Auto zmodem trigger enabled"));
}

void TransferController::armForConnection()
{
    removeAutoTrigger(QString());
    if (parts_.switches().autoZmodem)
        EnableZmodemAutoStart();
    parts_.view.setBPlusDetection(true);
}

void TransferController::removeForDisconnect()
{
    removeAutoTrigger(QStringLiteral("Removing Auto Zmodem Trigger"));
    parts_.view.setBPlusDetection(false);
}

void TransferController::removeAutoTrigger(const QString &logLine)
{
    if (zmodemAutoTrigger_ == 0)
        return;
    if (!logLine.isEmpty())
        parts_.log.write(logLine);
    parts_.port.removeTrigger(zmodemAutoTrigger_);
    zmodemAutoTrigger_ = 0;
}

QString TransferController::nextFile()
{
    QString answer;
    if (isBatchProtocol(parts_.engine.protocolType())) {
        if (batchIndex_ < batchList_.size())
            answer = batchList_.at(batchIndex_++);
    } else {
        answer = uploadFileName_;
    }
    parts_.log.write(QStringLiteral("\r\nNext file=") + answer);
    return answer;
}

void TransferController::showError(int code)
{
    parts_.view.DisplayTerm(transferResultText(code) + QLatin1Char(' ') + parts_.engine.fileMask());
}

void TransferController::Finished(int code)
{
    MainView &view = parts_.view;
    parts_.log.write(QStringLiteral("Protocol done. Error code=%1").arg(code));
    // The line goes back to the terminal. The engine's last bytes (the end
    // of the session, or the cancel sequence after it dropped its stale
    // output) are still on their way and are not flushed.
    if (parts_.engine.link() == link_.get())
        parts_.engine.setLink(nullptr);
    if (code != TransferResult::Success && link_ && parts_.port.isOpen()) {
        // What the other side sent before it heard of the failure is
        // protocol data, not text for the terminal.
        link_->setParent(this);
        link_.release()->discardUntilQuiet(discardQuietMs, discardMaxMs);
    }
    link_.reset();
    view.restoreWindow();
    view.DisableBtns(true);
    if (parts_.switches().autoZmodem && parts_.port.isOpen())
        EnableZmodemAutoStart();
    view.setBPlusDetection(true);
    view.setTerminalActive(true);
    if (completeTimer_ != 0)
        parts_.port.removeTrigger(completeTimer_);
    completeTimer_ = parts_.port.addTimerTrigger();
    parts_.port.setTimerTrigger(completeTimer_, completeNoticeTicks, true);
    view.setCaption(finishedTitle());
    parts_.sounds.transferFinished(code == TransferResult::Success);
    if (parts_.switches().launchApp && !acceptedFileName_.isEmpty())
        OpenWithAssociatedProgram(parts_.launcher, acceptedFileName_);
    emit statusWindowReset();
    view.restoreWindow();
    view.focusTerminal();
}

void TransferController::completeNoticeFired(int handle)
{
    parts_.port.removeTrigger(handle);
    completeTimer_ = 0;
    parts_.view.setStatusPanel(QStringLiteral("Protocol complete"));
}

QString TransferController::finishedTitle() const
{
    const Comport &port = parts_.port;
    if (!port.isOpen() || parts_.state.viaTapi() || port.deviceLayer() == DeviceLayer::Socket)
        return QStringLiteral("Tarnex 7.0");
    const QString name = parts_.devices.displayName(port.comNumber());
    return name.isEmpty() ? port.devicePath() : name;
}
