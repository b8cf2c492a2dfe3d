// Quick connect: a serial port or a TCP host chosen on the spot.
#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/HostResolver.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Modem.h"
#include "sessions/DeviceList.h"
#include "sessions/LoggingOptions.h"
#include "sessions/QuickConnectDialogs.h"
#include "sessions/SerialLineSetup.h"
#include "sessions/SessionState.h"
#include "sessions/StartupCommand.h"
#include "sessions/TelnetFirewall.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"

namespace {

constexpr int serialKind = 2;
constexpr int tcpKind = 3;

// Init and dial commands the user cleared are stored as a back-quote.
QString shownCommand(const QString &stored)
{
    return stored == QLatin1String(Setting::emptyModemCommand) ? QString() : stored;
}
QString storedCommand(const QString &shown)
{
    return shown.isEmpty() ? QString::fromLatin1(Setting::emptyModemCommand) : shown;
}

} // namespace

void ConnectController::DirectBtnClick()
{
    TLog &log = parts_.log;
    Comport &port = parts_.port;
    SessionState &state = parts_.state;
    MainView &view = parts_.view;
    log.write(QStringLiteral("Direct connect"));
    if (state.online() && port.deviceLayer() == DeviceLayer::Socket) {
        if (!parts_.prompt.confirm(QStringLiteral("You are online. Disconnect?")))
            return;
        parts_.logging.StopLogging();
        port.close();
        log.write(QStringLiteral("Hard closing port"));
        state.setOnline(false);
        view.setTerminalActive(false);
    }
    int kind = parts_.settings.read(Setting::DefaultQType);
    if ((!port.isOpen() || kind == tcpKind) && !quickSelect(kind))
        return;
    initString_.clear();
    if (kind == serialKind && !quickParameters())
        return;
    const DeviceLayer layer = kind == serialKind ? DeviceLayer::Serial : DeviceLayer::Socket;
    if (port.isOpen() && port.deviceLayer() != layer) {
        if (!parts_.prompt.askYesNo(
                QStringLiteral("You are about to switch device layers with an open connection. Continue?")))
            return;
        view.setTerminalActive(true);
        parts_.lights.setMonitoring(false);
        parts_.logging.StopLogging();
        port.close();
        state.setOnline(false);
    }
    if (!quickOpen(kind))
        return;
    state.setOnline(true);
}

// "Select comport": false when cancelled or the host cannot be found.
bool ConnectController::quickSelect(int &kind)
{
    SettingsStore &settings = parts_.settings;
    Comport &port = parts_.port;
    if (parts_.Getdevices)
        parts_.Getdevices();
    const QList<DeviceEntry> ports = parts_.devices.comPorts();
    ComportChoice choice;
    choice.kind = kind;
    choice.address = settings.read(Setting::DefIP);
    choice.port = settings.read(Setting::DefPort);
    choice.comNumber = settings.read(Setting::DefCom).toInt();
    const bool accepted = parts_.quickDialogs.selectComport(choice, ports);
    kind = choice.kind;
    settings.write(Setting::DefaultQType, kind);
    if (!accepted)
        return false;
    parts_.logging.StopLogging();
    if (kind == tcpKind) {
        QString address = choice.address;
        if (!parts_.firewall.use) {
            port.setSocketAddress(QStringLiteral("0"));
            if (StartupCommand::isHostName(choice.address)) {
                const std::optional<QString> found = Lookup(choice.address);
                if (!found)
                    return false;
                address = *found;
            }
        }
        if (address == HostResolver::unresolved) {
            Showcant();
            return false;
        }
        port.setSocketAddress(address);
        port.setSocketPort(choice.port);
    }
    parts_.log.write(QStringLiteral("IP=") + port.socketAddress());
    parts_.log.write(QStringLiteral("Port=") + port.socketPort());
    settings.write(Setting::DefIP, choice.address);
    settings.write(Setting::DefPort, choice.port);
    const int number = ports.isEmpty() ? 0 : choice.comNumber;
    settings.write(Setting::DefCom, QString::number(number));
    if (number > 0)
        port.setComNumber(number);
    return true;
}

// "Comport parameters": false when cancelled.
bool ConnectController::quickParameters()
{
    SettingsStore &settings = parts_.settings;
    ComportParameters line;
    line.baudIndex = settings.read(Setting::DBaud);
    line.parity = settings.read(Setting::DParity);
    line.dataBitsIndex = settings.read(Setting::DDBits);
    line.stopBitsIndex = settings.read(Setting::DSBits);
    line.dtrDsr = settings.read(Setting::DDtr);
    line.rtsCts = settings.read(Setting::DRts);
    line.swTransmit = settings.read(Setting::DSwt);
    line.swReceive = settings.read(Setting::DSwr);
    line.xon = settings.read(Setting::DXon);
    line.xoff = settings.read(Setting::DXoff);
    line.init = shownCommand(settings.read(Setting::DInit));
    line.dialCommand = shownCommand(settings.read(Setting::DCmd));
    if (!parts_.quickDialogs.comportParameters(line))
        return false;
    settings.write(Setting::DBaud, line.baudIndex);
    settings.write(Setting::DParity, line.parity);
    settings.write(Setting::DDBits, line.dataBitsIndex);
    settings.write(Setting::DSBits, line.stopBitsIndex);
    settings.write(Setting::DDtr, line.dtrDsr);
    settings.write(Setting::DRts, line.rtsCts);
    settings.write(Setting::DSwt, line.swTransmit);
    settings.write(Setting::DSwr, line.swReceive);
    settings.write(Setting::DXon, line.xon);
    settings.write(Setting::DXoff, line.xoff);
    settings.write(Setting::DInit, storedCommand(line.init));
    settings.write(Setting::DCmd, storedCommand(line.dialCommand));
    Comport &port = parts_.port;
    port.setBufferFull(0);
    port.setBufferResume(0);
    SerialLineSetup::apply(port, parts_.log, line, QStringLiteral("SFC=BOTH"));
    parts_.log.write(QStringLiteral("Init=") + line.init);
    initString_ = line.init;
    return true;
}

// Opens the chosen line; false (with the warning) when it cannot be opened.
bool ConnectController::quickOpen(int kind)
{
    TLog &log = parts_.log;
    Comport &port = parts_.port;
    SessionState &state = parts_.state;
    MainView &view = parts_.view;
    const bool serial = kind == serialKind;
    port.setDeviceLayer(serial ? DeviceLayer::Serial : DeviceLayer::Socket);
    log.write(QStringLiteral("DeviceLayer=%1").arg(int(port.deviceLayer())));
    state.setConnectionKind(serial ? ConnectionKind::ModemDial : ConnectionKind::Direct);
    state.setViaTapi(false);
    if (!serial)
        view.DisplayTerm(QStringLiteral("\r\nAttempting connect"));
    port.setSocketMode(SocketMode::Client);
    log.write(QStringLiteral("Opening connection"));
    if (!serial)
        armFirewall();
    state.setHangupPending(false);
    if (!port.isOpen()) {
        try {
            port.open();
        } catch (const ComportError &error) {
            log.write(QStringLiteral("Exception Failed connect"));
            log.write(error.message());
            parts_.prompt.warning(QStringLiteral("Error opening port\n") + error.message());
            return false;
        }
    }
    parts_.logging.StartLogging();
    state.markConnected();
    if (serial)
        parts_.lights.setMonitoring(true);
    view.setTerminalActive(true);
    // The keyboard emulation is applied here by its controller.
    armTransferTriggers();
    if (!serial)
        return true;
    SaveAbortNoCarrierState();
    state.setConnectionKind(ConnectionKind::Direct);
    parts_.modem.setEnabled(true);
    const int number = port.comNumber();
    view.DisplayTerm(QStringLiteral("Connected to Comport %1\r\n").arg(number));
    view.setStatusPanel(QStringLiteral("Direct connected to Com %1").arg(number));
    DisplayCom();
    const QString name = parts_.devices.displayName(number);
    view.setCaption(name.isEmpty() ? port.devicePath() : name);
    if (!initString_.isEmpty()) {
        parts_.lights.lightsOut();
        if (initStringTimer_ != 0)
            port.removeTrigger(initStringTimer_);
        initStringTimer_ = port.addTimerTrigger();
        port.setTimerTrigger(initStringTimer_, initStringTicks, true);
    }
    return true;
}

void ConnectController::initStringTimerFired(int handle)
{
    parts_.port.removeTrigger(handle);
    initStringTimer_ = 0;
    parts_.modem.sendCommand(initString_ + QStringLiteral("^m"));
    parts_.lights.setMonitoring(true);
}
