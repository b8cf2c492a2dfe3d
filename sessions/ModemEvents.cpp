// The modem's and the line device's events.
#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "sessions/store/RecordStore.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

void ConnectController::modemConnected()
{
    parts_.log.write(QStringLiteral("Modem connected"));
    emit connectSound();
    parts_.state.setOnline(true);
}

void ConnectController::modemLineSpeed(qint64 bps)
{
    parts_.log.write(QStringLiteral("Line speed=%1").arg(bps));
    parts_.view.setStatusPanel(QStringLiteral("Connected at %1 Bps").arg(bps));
}

void ConnectController::modemIsConnected()
{
    SessionState &state = parts_.state;
    parts_.log.write(QStringLiteral("Modem is connected"));
    parts_.view.setToolBarEnabled(true);
    parts_.view.restoreWindow();
    startupScript_ = state.currentEntry().get(PhoneField::Script);
    // Unless answering, the startup script starts 50 ms from here.
    if (!answerMode())
        scriptTimer_.start();
    stampLastConnect();
    state.markConnected();
    writeEntryBack();
    parts_.view.focusTerminal();
    clearQueueActive();
}

// After the last attempt of a dial; the dial-progress outcome closes the port.
void ConnectController::modemConnectFailed()
{
    parts_.log.write(QStringLiteral("Modem Connect failed"));
    parts_.state.setOnline(false);
    Hangup1Click();
    if (parts_.state.dialQueue().active)
        emit dialNextRequested();
}

// NO CARRIER from the modem: the carrier event of a line that cannot
// report DCD.
void ConnectController::modemCarrierLost()
{
    if (parts_.state.online() && !parts_.port.modemLines())
        carrierLost();
}

void ConnectController::modemCommandProcessed(int data)
{
    SessionState &state = parts_.state;
    if (dialAfterInit_) {
        dialAfterInit_ = false;
        if (parts_.port.isOpen())
            parts_.dialer.run();
        return;
    }
    if (!state.hangupPending())
        return;
    state.setHangupPending(false);
    if (data == 10)
        parts_.port.setDtr(false);
    parts_.lights.setMonitoring(false);
    parts_.logging.StopLogging();
    emit disconnectSound();
    parts_.view.setLinePanel(QStringLiteral("Offline"));
    parts_.view.setStatusPanel(QStringLiteral("Not Connected"));
    parts_.lights.lightsOut();
    state.setOnline(false);
    state.setConnectionKind(ConnectionKind::None);
    parts_.view.DisableBtns(true);
    RemoveTriggers();
    closePortTimer_.start();
}

void ConnectController::tapiPortOpened()
{
    parts_.log.write(QStringLiteral("TAPI Open"));
    parts_.view.setTerminalActive(true);
}

void ConnectController::tapiConnected()
{
    SessionState &state = parts_.state;
    MainView &view = parts_.view;
    const QString name = state.currentEntry().get(PhoneField::Name);
    parts_.port.putString(QStringLiteral("\r"));
    parts_.log.write(QStringLiteral("Tapi Connect"));
    view.setToolBarEnabled(true);
    view.restoreWindow();
    parts_.tapi.showStatus(false);
    parts_.logging.StartLogging();
    view.DisableBtns(true);
    clearQueueActive();
    stampLastConnect();
    state.markConnected();
    writeEntryBack();
    Postopen();
    tapiDisconnectSoundPlayed_ = false;
    emit connectSound();
    view.setStatusPanel(QStringLiteral("Connected to ") + name);
    view.setCaption(title() + QStringLiteral("  ") + name);
    DisplayCom();
    startupScript_ = state.currentEntry().get(PhoneField::Script);
    startScript(startupScript_);
    view.focusTerminal();
}

void ConnectController::tapiFailed()
{
    SessionState &state = parts_.state;
    if (state.exiting())
        return;
    MainView &view = parts_.view;
    view.setToolBarEnabled(true);
    view.DisableBtns(true);
    view.restoreWindow();
    state.setOnline(false);
    view.setLinePanel(QStringLiteral("Offline"));
    view.setStatusPanel(QStringLiteral("Not connected"));
    state.setConnectionKind(ConnectionKind::None);
    if (state.dialQueue().active)
        emit dialNextRequested();
}

void ConnectController::tapiPortClosed()
{
    SessionState &state = parts_.state;
    if (state.exiting())
        return;
    MainView &view = parts_.view;
    parts_.log.write(QStringLiteral("Tapi Port closed"));
    state.setOnline(false);
    view.DisplayTerm(QStringLiteral("Disconnected"));
    view.setStatusPanel(QStringLiteral("Disconnected from ") + state.currentEntry().get(PhoneField::Name));
    view.setLinePanel(QStringLiteral("Offline"));
    // Once per connection: a call that ends in several steps is heard once.
    if (!tapiDisconnectSoundPlayed_) {
        tapiDisconnectSoundPlayed_ = true;
        emit disconnectSound();
    }
    parts_.lights.lightsOut();
    stopScript();
    RemoveTriggers();
    emit connectionLost();
}

void ConnectController::tapiCancelled()
{
    if (parts_.state.exiting())
        return;
    parts_.view.DisableBtns(true);
    parts_.view.setToolBarEnabled(true);
    clearQueueActive();
}

void ConnectController::writeEntryBack()
{
    const SessionState &state = parts_.state;
    const QString name = state.currentEntry().get(PhoneField::Name);
    if (name.isEmpty() || !parts_.phonebook.exists(name))
        return;
    try {
        parts_.phonebook.update(name, state.currentEntry());
    } catch (const StoreError &error) {
        parts_.log.write(QStringLiteral("Phonebook not updated: ") + error.message());
    }
}
