// Modem entries: dialling or answering on a COM port or a line device, and
// their hang-up.
#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SerialLineSetup.h"
#include "sessions/SessionState.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"

namespace {

bool viaLineDevice(const PhonebookEntry &entry)
{
    const QString port = entry.get(PhoneField::Port);
    return port == QLatin1String("0") || port == QLatin1String("-1");
}

} // namespace

void ConnectController::dialModem()
{
    SessionState &state = parts_.state;
    const PhonebookEntry entry = state.currentEntry();
    parts_.view.clearTerminal();
    state.setViaTapi(viaLineDevice(entry));
    parts_.port.setDeviceLayer(DeviceLayer::Serial);
    parts_.log.write(QStringLiteral("Before SetComm"));
    SetComm();
    parts_.log.write(QStringLiteral("Done SetComm"));
    state.setCurrentEntry(entry, entry.get(PhoneField::Name));
    if (!state.viaTapi())
        SetLine();
    if (state.viaTapi())
        dialLine(answerMode());
    else
        dialModemPort(answerMode());
}

void ConnectController::SetComm()
{
    TLog &log = parts_.log;
    Comport &port = parts_.port;
    const PhonebookEntry &entry = parts_.state.currentEntry();
    log.write(QStringLiteral("SetCom"));
    if (parts_.state.viaTapi()) {
        const QString device = entry.get(PhoneField::Device);
        log.write(QStringLiteral("TAPI Connect. Device=") + device);
        if (!parts_.tapi.selectDevice(device))
            log.write(QStringLiteral("No line device named ") + device);
    } else {
        const QString number = entry.get(PhoneField::Port);
        port.setComNumber(number.toInt());
        log.write(QStringLiteral("Port=") + number);
        parts_.tapi.selectDevice(QString());
        log.write(QStringLiteral("Non TAPI connect. Port #%1").arg(port.comNumber()));
    }
    port.setTapiMode(parts_.state.viaTapi());
    port.setBufferFull(0);
    port.setBufferResume(0);
    log.write(QStringLiteral("Buffer Full=%1").arg(port.bufferFull()));
    log.write(QStringLiteral("Buffer Resume=%1").arg(port.bufferResume()));
}

void ConnectController::SetLine()
{
    parts_.log.write(QStringLiteral("SetLine"));
    SerialLineSetup::apply(parts_.port, parts_.log, SerialLineSetup::fromEntry(parts_.state.currentEntry()),
        QStringLiteral("SFC=Both"));
}

bool ConnectController::InitTheModem()
{
    const QString init = parts_.state.currentEntry().get(PhoneField::Init);
    parts_.log.write(QStringLiteral("Init Cmd: ") + init);
    if (init.isEmpty())
        return false;
    parts_.modem.sendCommand(init + QStringLiteral("^M"));
    return true;
}

void ConnectController::ShowAutoAnswer()
{
    parts_.view.clearTerminal();
    parts_.view.DisplayTerm(QStringLiteral("Waiting for call\r\n"));
    parts_.view.setStatusPanel(QStringLiteral("Auto Answer mode"));
}

// A line device dials, answers and opens the port itself; its events say
// how it went.
void ConnectController::dialLine(bool answer)
{
    SessionState &state = parts_.state;
    MainView &view = parts_.view;
    TapiLine &tapi = parts_.tapi;
    const PhonebookEntry &entry = state.currentEntry();
    if (tapi.selectedDevice().isEmpty()) {
        const QString device = entry.get(PhoneField::Device);
        parts_.prompt.warning(device.isEmpty()
                ? QStringLiteral("No line device is chosen for %1.").arg(entry.get(PhoneField::Name))
                : QStringLiteral("No line device named %1 in LineDevices.ini.").arg(device));
        state.setConnectionKind(ConnectionKind::None);
        return;
    }
    if (answer) {
        tapi.autoAnswer();
        view.setLinePanel(tapi.selectedDevice());
        state.setOnline(true);
        ShowAutoAnswer();
        applyEntryProtocolOptions();
        return;
    }
    const QString phone = entry.get(PhoneField::Phone);
    if (phone.isEmpty()) {
        parts_.prompt.warning(QStringLiteral("No number to dial. Aborting"));
        state.setConnectionKind(ConnectionKind::None);
        return;
    }
    view.DisableBtns(false);
    view.setTerminalActive(true);
    tapiDisconnectSoundPlayed_ = false;
    tapi.dial(phone);
    view.setToolBarEnabled(false);
    applyEntryProtocolOptions();
}

void ConnectController::dialModemPort(bool answer)
{
    SessionState &state = parts_.state;
    MainView &view = parts_.view;
    Comport &port = parts_.port;
    const PhonebookEntry &entry = state.currentEntry();
    try {
        port.open();
    } catch (const ComportError &error) {
        parts_.log.write(QStringLiteral("Open failed: ") + error.message());
        parts_.prompt.warning(QStringLiteral("Error opening port\n") + error.message());
        state.setConnectionKind(ConnectionKind::None);
        return;
    }
    parts_.logging.StartLogging();
    view.setTerminalActive(true);
    view.clearTerminal();
    const QString number = entry.get(PhoneField::Port);
    view.DisplayTerm(QStringLiteral("Connected to Comport %1\r\n").arg(number));
    view.setStatusPanel(QStringLiteral("Direct connected to Com ") + number);
    DisplayCom();
    view.focusTerminal();
    Postopen();
    parts_.modem.setEnabled(true);
    if (answer) {
        ShowAutoAnswer();
        InitTheModem();
        parts_.modem.answerAfter(answerRings);
        applyEntryProtocolOptions();
        // Waiting for a call is a session on the line: it can be hung up.
        state.setOnline(true);
        return;
    }
    const bool initSent = InitTheModem();
    const QString phone = entry.get(PhoneField::Phone);
    if (phone.isEmpty()) {
        // Without a number the modem line is a terminal session.
        state.markConnected();
        applyEntryProtocolOptions();
        return;
    }
    QString dialCommand = entry.get(PhoneField::DialCmd);
    if (dialCommand.isEmpty())
        dialCommand = QStringLiteral("ATDT");
    parts_.modem.setDialCommand(dialCommand);
    parts_.dialer.setNumber(phone);
    view.setToolBarEnabled(false);
    view.DisableBtns(false);
    // A modem takes no command until it has answered the one before.
    if (initSent)
        dialAfterInit_ = true;
    else
        parts_.dialer.run();
}

// The dial-progress window's outcome.
void ConnectController::dialFinished(bool connectedNow)
{
    MainView &view = parts_.view;
    if (connectedNow) {
        modemIsConnected();
        view.DisableBtns(true);
        view.setCaption(title() + QStringLiteral("  ") + parts_.state.currentEntry().get(PhoneField::Name));
        view.setToolBarEnabled(true);
        applyEntryProtocolOptions();
        return;
    }
    const bool cancelled = parts_.dialer.wasCancelled();
    if (!cancelled)
        modemConnectFailed();
    view.DisableBtns(true);
    Shutofflights();
    parts_.modem.setEnabled(false);
    RemoveTriggers();
    parts_.port.flushInBuffer();
    parts_.port.flushOutBuffer();
    parts_.logging.StopLogging();
    parts_.port.close();
    view.setToolBarEnabled(true);
    view.DisplayTerm(QStringLiteral("Disconnected."));
    view.setLinePanel(QStringLiteral("Offline"));
    view.setStatusPanel(QStringLiteral("Not Connected"));
    view.setCaption(title());
    parts_.state.setOnline(false);
    parts_.state.setConnectionKind(ConnectionKind::None);
}

void ConnectController::hangupModem()
{
    TLog &log = parts_.log;
    MainView &view = parts_.view;
    SessionState &state = parts_.state;
    Comport &port = parts_.port;
    view.DisableBtns(false);
    view.DisplayTerm(QStringLiteral("\r\nAttempting to unhook.   Please wait.\r\n"));
    if (state.scriptRunning()) {
        log.write(QStringLiteral("Stopping script"));
        stopScript();
    }
    state.setCurrentEntry(state.currentEntry(), QString());
    if (state.viaTapi()) {
        log.write(QStringLiteral("TAPI Connect. Closing"));
        parts_.lights.setMonitoring(false);
        parts_.tapi.cancelCall();
        view.DisplayTerm(parts_.tapi.selectedDevice() + QStringLiteral(" shut down\r\n"));
    } else {
        state.setOnline(false);
        log.write(QStringLiteral("Serial connect. Closing"));
        // A line that cannot report the carrier (a pseudo-terminal) may
        // still hold a call; one that cannot drop DTR hangs up by command.
        const std::optional<int> lines = port.modemLines();
        const bool carrier = !lines || (*lines & dcdMask) != 0;
        bool byCommand = false;
        if (carrier && port.isOpen()) {
            byCommand = parts_.modem.commands().hangup != QLatin1String("DTR") || !lines;
            if (byCommand)
                state.setHangupPending(true);
            parts_.modem.hangup();
        }
        parts_.logging.StopLogging();
        // A hang-up by command needs the line until the modem answers; the
        // port closes a second after that.
        if (!byCommand) {
            parts_.modem.setEnabled(false);
            port.close();
        }
        view.setLinePanel(QStringLiteral("Offline"));
        view.setStatusPanel(QStringLiteral("Not Connected"));
        view.DisplayTerm(QStringLiteral("Disconnected"));
    }
    parts_.lights.lightsOut();
    state.setOnline(false);
    state.setConnectionKind(ConnectionKind::None);
    view.DisableBtns(true);
}
