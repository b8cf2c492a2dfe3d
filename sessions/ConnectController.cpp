#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/DataPacket.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "comms/transfer/ProtocolEngine.h"
#include "sessions/EntryEditorFields.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"

ConnectController::ConnectController(SessionParts parts, QObject *parent)
    : QObject(parent)
    , parts_(parts)
{
    closePortTimer_.setSingleShot(true);
    closePortTimer_.setInterval(closePortDelayMs);
    connect(&closePortTimer_, &QTimer::timeout, this, &ConnectController::closePortTimerFired);
    scriptTimer_.setSingleShot(true);
    scriptTimer_.setInterval(scriptDelayMs);
    connect(&scriptTimer_, &QTimer::timeout, this, [this] { startScript(startupScript_); });
    ComportEvents &events = parts_.port.events();
    handlers_.push_back(events.data.attach(HandlerStage::Window, [this](const QByteArray &, qint64 waiting) {
        emit received(parts_.port.getBlock(waiting));
        return false;
    }));
    handlers_.push_back(events.connected.attach(HandlerStage::Window, [this] {
        connected();
        return false;
    }));
    handlers_.push_back(events.accepted.attach(HandlerStage::Window, [this] {
        accepted();
        return false;
    }));
    handlers_.push_back(events.disconnected.attach(HandlerStage::Window, [this](bool) {
        disconnected();
        return false;
    }));
    handlers_.push_back(events.error.attach(HandlerStage::Window, [this](int code, const QString &) {
        socketError(code);
        return false;
    }));
    handlers_.push_back(events.statusTrigger.attach(HandlerStage::Window, [this](int handle) {
        if (handle != carrierTrigger_ || handle == 0)
            return false;
        carrierChanged(handle);
        return true;
    }));
    handlers_.push_back(events.timerTrigger.attach(HandlerStage::Window, [this](int handle) {
        if (handle != initStringTimer_ || handle == 0)
            return false;
        initStringTimerFired(handle);
        return true;
    }));

    // A line device drives the same modem and reports through its own
    // events; the modem's own are for COM-port entries.
    Modem &modem = parts_.modem;
    const auto onComPort = [this](auto handler) {
        return [this, handler](auto... args) {
            if (!parts_.state.viaTapi())
                (this->*handler)(args...);
        };
    };
    connect(&modem, &Modem::connected, this, onComPort(&ConnectController::modemConnected));
    connect(&modem, &Modem::lineSpeed, this, onComPort(&ConnectController::modemLineSpeed));
    connect(&modem, &Modem::isConnectedEvent, this, onComPort(&ConnectController::modemIsConnected));
    connect(&modem, &Modem::commandProcessed, this, &ConnectController::modemCommandProcessed);
    connect(&modem, &Modem::carrierLost, this, onComPort(&ConnectController::modemCarrierLost));
    connect(&parts_.dialer, &Dialer::finished, this, &ConnectController::dialFinished);
    TapiLine &tapi = parts_.tapi;
    connect(&tapi, &TapiLine::portOpened, this, &ConnectController::tapiPortOpened);
    connect(&tapi, &TapiLine::connected, this, &ConnectController::tapiConnected);
    connect(&tapi, &TapiLine::failed, this, &ConnectController::tapiFailed);
    connect(&tapi, &TapiLine::portClosed, this, &ConnectController::tapiPortClosed);
    connect(&tapi, &TapiLine::statusCancelled, this, &ConnectController::tapiCancelled);

    // The redial settings; a dial queue of several entries tries each once
    // per pass and puts them back when it ends.
    const int retries = parts_.settings.read(Setting::Retries);
    const int wait = parts_.settings.read(Setting::WaitTime);
    parts_.dialer.setMaxTries(retries);
    parts_.dialer.setRetrySeconds(wait);
    tapi.setMaxAttempts(retries);
    tapi.setRetryWait(wait);

    firePacket_ = new DataPacket(&parts_.port, this);
    firePacket_->setName(QStringLiteral("FirePacket"));
    firePacket_->setStartString("Wing");
    firePacket_->setEndConditions(DataPacket::EndString);
    firePacket_->setEndString("ate>");
    firePacket_->setIncludeStrings(true);
    connect(firePacket_, &DataPacket::packet, this, &ConnectController::firewallPrompt);
}

bool ConnectController::openDirect(const LineSpec &line)
{
    Comport &port = parts_.port;
    parts_.logging.StopLogging();
    port.close();
    port.setDeviceLayer(DeviceLayer::Serial);
    if (line.device.isEmpty())
        port.setComNumber(line.comNumber);
    else
        port.setDevicePath(line.device);
    port.setBaud(line.serial.baud);
    try {
        port.open();
    } catch (const ComportError &error) {
        parts_.log.write(QStringLiteral("Open failed: ") + error.message());
        return false;
    }
    parts_.logging.StartLogging();
    parts_.view.setTerminalActive(true);
    parts_.state.setOnline(true);
    const QString name = line.device.isEmpty() ? QString::number(line.comNumber) : line.device;
    parts_.view.DisplayTerm(QStringLiteral("Connected to COM %1  %2").arg(name).arg(line.serial.baud));
    parts_.state.setConnectionKind(ConnectionKind::Direct);
    parts_.state.setViaTapi(false);
    DisplayCom();
    SaveAbortNoCarrierState();
    Postopen();
    return true;
}

void ConnectController::DoDialer()
{
    const PhonebookEntry &entry = parts_.state.currentEntry();
    QString key = entry.get(PhoneField::Key);
    if (key.isEmpty())
        key = QStringLiteral("ANSI");
    emit emulationsChosen(key, numberOr(entry.get(PhoneField::Term), 1));

    if (entry.get(PhoneField::Contype) == QLatin1String("0")) {
        const bool answer = entry.get(PhoneField::AA) == QLatin1String("1");
        parts_.state.setConnectionKind(answer ? ConnectionKind::ModemAnswer : ConnectionKind::ModemDial);
        dialModem();
        return;
    }
    if (entry.get(PhoneField::Wmode) == QLatin1String("0"))
        dialTcpClient();
    else
        dialTcpServer();
}

void ConnectController::Postopen()
{
    TLog &log = parts_.log;
    log.write(QStringLiteral("Entering Post open"));
    if (carrierTrigger_ != 0)
        parts_.port.removeTrigger(carrierTrigger_);
    carrierTrigger_ = parts_.port.addStatusTrigger(StatusTriggerType::ModemStatus);
    parts_.port.setStatusTrigger(carrierTrigger_, dcdMask, true);
    log.write(QStringLiteral("Added DCD trigger #%1").arg(carrierTrigger_));
    armTransferTriggers();
    if (!parts_.state.viaTapi()) {
        log.write(QStringLiteral("Startup script=") + startupScript_);
        startupScript_ = parts_.state.currentEntry().get(PhoneField::Script);
        if (answerMode()) {
            log.write(QStringLiteral("Answer mode, running script: ") + startupScript_);
            startScript(startupScript_);
        }
    }
    parts_.lights.setMonitoring(true);
    log.write(QStringLiteral("Monitoring lights on"));
    parts_.view.focusTerminal();
}

void ConnectController::RemoveTriggers()
{
    parts_.log.write(QStringLiteral("Entering RemoveTriggers"));
    if (carrierTrigger_ != 0) {
        parts_.port.removeTrigger(carrierTrigger_);
        carrierTrigger_ = 0;
    }
    if (initStringTimer_ != 0) {
        parts_.port.removeTrigger(initStringTimer_);
        initStringTimer_ = 0;
    }
    firePacket_->setEnabled(false);
    if (parts_.removeTransferTriggers)
        parts_.removeTransferTriggers();
}

void ConnectController::startScript(const QString &path)
{
    if (parts_.StartScr)
        parts_.StartScr(path);
}

void ConnectController::stopScript()
{
    if (parts_.stopScript)
        parts_.stopScript();
}

void ConnectController::armTransferTriggers()
{
    if (parts_.armTransferTriggers)
        parts_.armTransferTriggers();
}

void ConnectController::SaveAbortNoCarrierState()
{
    if (!abortNoCarrierSaved_) {
        savedAbortNoCarrier_ = parts_.engine.options().abortNoCarrier;
        abortNoCarrierSaved_ = true;
    }
    parts_.engine.options().abortNoCarrier = false;
}

void ConnectController::restoreAbortNoCarrier()
{
    if (!abortNoCarrierSaved_)
        return;
    parts_.engine.options().abortNoCarrier = savedAbortNoCarrier_;
    abortNoCarrierSaved_ = false;
}

void ConnectController::DisplayCom()
{
    const Comport &port = parts_.port;
    if (parts_.state.viaTapi()) {
        parts_.view.setLinePanel(parts_.tapi.selectedDevice());
        return;
    }
    if (!port.isOpen() || port.deviceLayer() != DeviceLayer::Serial)
        return;
    const QString path = port.devicePath();
    parts_.view.setLinePanel(
        QStringLiteral("Com ") + (port.comNumber() > 0 ? QString::number(port.comNumber()) : path));
}

void ConnectController::Shutofflights()
{
    parts_.lights.setMonitoring(false);
    parts_.lights.lightsOut();
}

void ConnectController::applyEntryProtocolOptions()
{
    if (parts_.ApplyEntryProtocolOptions)
        parts_.ApplyEntryProtocolOptions();
}

bool ConnectController::answerMode() const
{
    return parts_.state.connectionKind() == ConnectionKind::ModemAnswer;
}

void ConnectController::Hangup1Click()
{
    TLog &log = parts_.log;
    log.write(QStringLiteral("Hanging up"));
    if (!parts_.state.online())
        return;
    MainView &view = parts_.view;
    view.DisplayTerm(QStringLiteral("\x0f"));
    view.setCaption(title());
    const ConnectionKind kind = parts_.state.connectionKind();
    if (kind == ConnectionKind::ModemDial || kind == ConnectionKind::ModemAnswer) {
        dialAfterInit_ = false;
        hangupModem();
    } else {
        log.write(QStringLiteral("pConType=%1").arg(int(kind)));
        if (parts_.engine.inProgress()) {
            log.write(QStringLiteral("Canceling protocol"));
            parts_.engine.cancel();
        }
        if (parts_.state.scriptRunning()) {
            log.write(QStringLiteral("Stopping script"));
            stopScript();
        }
        RemoveTriggers();
        parts_.logging.StopLogging();
        Shutofflights();
        parts_.port.close();
        log.write(QStringLiteral("Port closed"));
        view.setLinePanel(QStringLiteral("Offline"));
        view.setStatusPanel(QStringLiteral("Not Connected"));
        restoreAbortNoCarrier();
        parts_.state.setOnline(false);
    }
    view.setCaption(title());
}
