// TCP client and server entries, the address look-up and the telnet firewall.
#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/DataPacket.h"
#include "comms/line/HostResolver.h"
#include "sessions/HostLookup.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "sessions/StartupCommand.h"
#include "sessions/TelnetFirewall.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"

void ConnectController::dialTcpClient()
{
    const PhonebookEntry &entry = parts_.state.currentEntry();
    parts_.logging.StopLogging();
    startupScript_ = entry.get(PhoneField::Script);
    parts_.port.close();
    parts_.port.setSocketAddress(QStringLiteral("0"));
    const QString host = entry.get(PhoneField::Wip);
    QString address = host;
    if (!parts_.firewall.use && StartupCommand::isHostName(host)) {
        const std::optional<QString> found = Lookup(host);
        if (!found)
            return;
        address = *found;
    }
    if (address == HostResolver::unresolved)
        Showcant();
    else
        DoAttempt(address, entry.get(PhoneField::WPort));
    applyEntryProtocolOptions();
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
    armTransferTriggers();
    applyEntryProtocolOptions();
}

std::optional<QString> ConnectController::Lookup(const QString &host)
{
    const std::optional<QString> found = parts_.lookup.Lookup(host);
    if (found) {
        lookupHistory_.hosts << host;
        lookupHistory_.addresses << *found;
    }
    return found;
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
    armFirewall();
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
    armTransferTriggers();
}

// With the firewall in use the port goes to the firewall instead of the
// address set on it, which is remembered for the log-in.
void ConnectController::armFirewall()
{
    const TelnetFirewall &firewall = parts_.firewall;
    if (!firewall.use)
        return;
    Comport &port = parts_.port;
    firewallHost_ = port.socketAddress();
    firewallPort_ = port.socketPort();
    port.setSocketAddress(firewall.host.isEmpty() ? QStringLiteral("127.0.0.1") : firewall.host);
    port.setSocketPort(firewall.port);
    parts_.log.write(QStringLiteral("Telnet firewall %1:%2 for %3:%4")
                         .arg(port.socketAddress(), port.socketPort(), firewallHost_, firewallPort_));
    firePacket_->setEnabled(true);
}

// The firewall prompted: it is told where the user wants to go.
void ConnectController::firewallPrompt()
{
    firePacket_->setEnabled(false);
    parts_.port.putString(firewallHost_ + QLatin1Char(':') + firewallPort_ + QLatin1Char('\r'));
    parts_.log.write(QStringLiteral("Firewall log-in to %1:%2").arg(firewallHost_, firewallPort_));
    startScript(startupScript_);
}
