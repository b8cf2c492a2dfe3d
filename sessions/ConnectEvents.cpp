// The line's events while a TCP or direct connection lasts.
#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Modem.h"
#include "comms/transfer/ProtocolEngine.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "sessions/TelnetFirewall.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

#include <QDateTime>

namespace {

QString peerText(const Comport &port)
{
    return QStringLiteral("Connected to %1:%2").arg(port.peerAddress()).arg(port.peerPort());
}

} // namespace

void ConnectController::connected()
{
    MainView &view = parts_.view;
    SessionState &state = parts_.state;
    parts_.lights.setDcd(true);
    parts_.lights.setMonitoring(true);
    view.DisplayTerm(QStringLiteral("Connected!"));
    view.setStatusPanel(peerText(parts_.port));
    view.setLinePanel(QStringLiteral("Winsock"));
    SaveAbortNoCarrierState();
    const QString name = state.currentSessionName();
    if (state.connectionKind() != ConnectionKind::Direct && !parts_.firewall.use && !name.isEmpty()) {
        startScript(startupScript_);
        view.setCaption(QStringLiteral("Tarnex 7.0  ") + name);
    }
    stampLastConnect();
    state.markConnected();
    view.focusTerminal();
    emit connectSound();
}

void ConnectController::accepted()
{
    parts_.lights.setDcd(true);
    parts_.lights.setMonitoring(true);
    parts_.view.setStatusPanel(peerText(parts_.port));
    parts_.view.setLinePanel(QStringLiteral("Winsock"));
    SaveAbortNoCarrierState();
    stampLastConnect();
    parts_.state.markConnected();
}

void ConnectController::stampLastConnect()
{
    SessionState &state = parts_.state;
    if (state.currentSessionName().isEmpty())
        return;
    PhonebookEntry entry = state.currentEntry();
    entry.set(PhoneField::Last, QDateTime::currentDateTime().toString().left(40));
    state.setCurrentEntry(entry, state.currentSessionName());
}

void ConnectController::disconnected()
{
    SessionState &state = parts_.state;
    const ConnectionKind kind = state.connectionKind();
    if (state.exiting()
        || (kind != ConnectionKind::TcpClient && kind != ConnectionKind::TcpServer
            && kind != ConnectionKind::Direct))
        return;
    if (parts_.engine.inProgress()) {
        parts_.view.DisplayTerm(QStringLiteral("File transfer canceled due to lost connection."));
        parts_.engine.cancel();
    }
    parts_.lights.setDcd(false);
    parts_.logging.StopLogging();
    parts_.view.setStatusPanel(QStringLiteral("Not connected"));
    parts_.view.setLinePanel(QStringLiteral("Offline"));
    parts_.view.DisplayTerm(QStringLiteral("\r\nDisconnected"));
    state.setOnline(false);
    restoreAbortNoCarrier();
    emit disconnectSound();
    emit connectionLost();
    stopScript();
    RemoveTriggers();
}

void ConnectController::socketError(int code)
{
    parts_.view.DisplayTerm(QStringLiteral("Winsock Error %1").arg(code));
    parts_.logging.StopLogging();
    closePortTimer_.start();
}

void ConnectController::closePortTimerFired()
{
    parts_.log.write(QStringLiteral("Close port timer fired"));
    parts_.state.setOnline(false);
    parts_.modem.setEnabled(false);
    parts_.port.close();
    parts_.view.DisplayTerm(QStringLiteral("Port has been closed\r\n"));
}

void ConnectController::carrierChanged(int handle)
{
    Comport &port = parts_.port;
    port.setStatusTrigger(handle, dcdMask, true);
    if (!port.dcd()) {
        if (!parts_.state.viaTapi())
            carrierLost();
        return;
    }
    DisplayCom();
    stampLastConnect();
    writeEntryBack();
}

// The carrier dropped (DCD off, or NO CARRIER from a modem on a line that
// cannot report DCD).
void ConnectController::carrierLost()
{
    stopScript();
    emit disconnectSound();
    parts_.view.setLinePanel(QStringLiteral("Lost Carrier"));
    emit connectionLost();
    if (answerMode()) {
        parts_.view.setStatusPanel(QStringLiteral("Autoanswer Mode"));
        parts_.modem.answerAfter(answerRings);
    }
}
