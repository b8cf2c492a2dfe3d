#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/HostResolver.h"
#include "comms/line/StatusLights.h"
#include "comms/transfer/TransferTypes.h"
#include "sessions/HostLookup.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "sessions/StartupCommand.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"

namespace {

const QString title = QStringLiteral("Tarnex 7.0");

} // namespace

ConnectController::ConnectController(SessionParts parts, QObject *parent)
    : QObject(parent)
    , parts_(parts)
{
    closePortTimer_.setSingleShot(true);
    closePortTimer_.setInterval(closePortDelayMs);
    connect(&closePortTimer_, &QTimer::timeout, this, &ConnectController::closePortTimerFired);
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
    bool numeric = false;
    int term = entry.get(PhoneField::Term).toInt(&numeric);
    if (!numeric)
        term = 1;
    emit emulationsChosen(key, term);

    if (entry.get(PhoneField::Contype) == QLatin1String("0")) {
        // Modem and telephony entries need the modem dialler, which this
        // build does not have.
        parts_.log.write(QStringLiteral("Modem entry not dialled: ") + entry.get(PhoneField::Name));
        parts_.view.DisplayTerm(QStringLiteral("Modem entries cannot be dialled in this version."));
        return;
    }
    if (entry.get(PhoneField::Wmode) == QLatin1String("0"))
        dialTcpClient();
    else
        dialTcpServer();
}

void ConnectController::dialTcpClient()
{
    const PhonebookEntry &entry = parts_.state.currentEntry();
    parts_.logging.StopLogging();
    startupScript_ = entry.get(PhoneField::Script);
    parts_.port.close();
    parts_.port.setSocketAddress(QStringLiteral("0"));
    const QString host = entry.get(PhoneField::Wip);
    QString address = host;
    if (StartupCommand::isHostName(host)) {
        const std::optional<QString> found = Lookup(host);
        if (!found)
            return;
        address = *found;
    }
    if (address == HostResolver::unresolved) {
        Showcant();
        return;
    }
    DoAttempt(address, entry.get(PhoneField::WPort));
}

void ConnectController::dialTcpServer()
{
    const PhonebookEntry &entry = parts_.state.currentEntry();
    Comport &port = parts_.port;
    parts_.logging.StopLogging();
    port.close();
    parts_.view.setTerminalActive(true);
    const QString address = entry.get(PhoneField::Wip);
    const QString service = entry.get(PhoneField::WPort);
    port.setSocketAddress(address);
    port.setSocketPort(service);
    port.setDeviceLayer(DeviceLayer::Socket);
    port.setSocketMode(SocketMode::Server);
    try {
        port.open();
    } catch (const ComportError &error) {
        parts_.log.write(error.message());
        parts_.view.DisplayTerm(QStringLiteral("Error connecting. Address in use"));
        parts_.view.setTerminalActive(false);
        return;
    }
    parts_.logging.StartLogging();
    parts_.state.setConnectionKind(ConnectionKind::TcpServer);
    parts_.view.DisplayTerm(QStringLiteral("\r\nWaiting for connect on: %1:%2").arg(address, service));
    parts_.state.setOnline(true);
    parts_.view.setStatusPanel(QStringLiteral("Waiting on %1:%2").arg(address, service));
    parts_.view.setLinePanel(QStringLiteral("Winsock"));
}

std::optional<QString> ConnectController::Lookup(const QString &host)
{
    return parts_.lookup.Lookup(host);
}

void ConnectController::Showcant()
{
    parts_.prompt.warning(QStringLiteral("Cannot connect"));
}

void ConnectController::DoAttempt(const QString &address, const QString &service)
{
    Comport &port = parts_.port;
    parts_.logging.StopLogging();
    port.close();
    port.setDeviceLayer(DeviceLayer::Socket);
    port.setSocketMode(SocketMode::Client);
    port.setSocketAddress(address);
    port.setSocketPort(service);
    parts_.view.DisplayTerm(QStringLiteral("Attempting connect to ") + address);
    try {
        port.open();
    } catch (const ComportError &error) {
        parts_.view.DisplayTerm(QStringLiteral("Winsock Error %1").arg(error.code()));
        parts_.log.write(error.message());
        return;
    }
    parts_.logging.StartLogging();
    parts_.state.setOnline(true);
    parts_.view.setTerminalActive(true);
    parts_.state.setConnectionKind(ConnectionKind::TcpClient);
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
    // Auto-Zmodem and B+ detection are armed here by the transfer controller.
    log.write(QStringLiteral("Startup script=") + startupScript_);
    startupScript_ = parts_.state.currentEntry().get(PhoneField::Script);
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
    // The Auto-Zmodem trigger and B+ detection are removed here by the
    // transfer controller.
}

void ConnectController::SaveAbortNoCarrierState()
{
    if (!abortNoCarrierSaved_) {
        savedAbortNoCarrier_ = parts_.protocol.abortNoCarrier;
        abortNoCarrierSaved_ = true;
    }
    parts_.protocol.abortNoCarrier = false;
}

void ConnectController::restoreAbortNoCarrier()
{
    if (!abortNoCarrierSaved_)
        return;
    parts_.protocol.abortNoCarrier = savedAbortNoCarrier_;
    abortNoCarrierSaved_ = false;
}

void ConnectController::DisplayCom()
{
    // Telephony devices show their own name once the modem dialler exists.
    const Comport &port = parts_.port;
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

void ConnectController::Hangup1Click()
{
    TLog &log = parts_.log;
    log.write(QStringLiteral("Hanging up"));
    if (!parts_.state.online())
        return;
    MainView &view = parts_.view;
    view.DisplayTerm(QStringLiteral("\x0f"));
    view.setCaption(title);
    log.write(QStringLiteral("pConType=%1").arg(int(parts_.state.connectionKind())));
    // A running transfer or script is stopped here by its controller.
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
