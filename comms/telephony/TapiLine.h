#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/line/ComDevices.h"
#include "comms/modem/Dialer.h"
#include "comms/telephony/LineDevices.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class Comport;
class Modem;

// The "Call Progress" window as the line device sees it.
class CallProgressView {
public:
    virtual ~CallProgressView() = default;
    virtual void showProgress(bool visible) = 0;
    virtual void setProgressText(const QString &text) = 0;
    // The call being made (number empty while answering) and its attempts.
    virtual void setCall(const QString &device, const QString &number)
    {
        Q_UNUSED(device);
        Q_UNUSED(number);
    }
    virtual void setAttempt(int attempt, int maxAttempts)
    {
        Q_UNUSED(attempt);
        Q_UNUSED(maxAttempts);
    }
};

// A named line device of LineDevices.ini in the home folder: an AT modem on
// a port, driven with its own init string, dialled with retries and shown in
// the "Call Progress" window. It opens and closes the port itself and raises
// portOpened, connected, failed and portClosed.
class TapiLine : public QObject {
    Q_OBJECT
public:
    TapiLine(Comport &port, Modem &modem, const QString &homeFolder, QObject *parent = nullptr);
    ~TapiLine() override;

    // The devices of LineDevices.ini, in file order (read again each time).
    QStringList devices() const;
    // An empty name deselects; false when no such device exists.
    bool selectDevice(const QString &name);
    QString selectedDevice() const;

    void setMaxAttempts(int attempts);
    int maxAttempts() const;
    void setRetryWait(int seconds);
    int retryWait() const;

    // Opens the device's port, initialises the modem and dials with retries.
    void dial(const QString &number);
    // Opens the device's port and answers incoming calls.
    void autoAnswer();
    // Ends a dial or a call and closes the port.
    void cancelCall();

    // The window that shows the call's progress; it calls cancelCall and
    // raises statusCancelled when the user cancels. None in tests.
    void setStatusView(CallProgressView *view);
    void showStatus(bool visible);
    // The user cancelled in the call-progress window.
    void cancelFromStatus();

    // How COM numbers in LineDevices.ini map to devices (ComDevice<n> settings).
    void setDeviceOverride(ComDevices::Override override) { override_ = std::move(override); }
    // The dialler of this device's calls (for a "Dial Progress" view in tests).
    Dialer &dialer() { return dialer_; }

signals:
    void portOpened();
    void portClosed();
    void connected();
    void failed();
    // The call-progress window's Cancel.
    void statusCancelled();
    // Why a device was skipped or a call failed, for the application log.
    void logMessage(const QString &text);

private:
    enum class State { Idle, InitForDial, Dialling, InitForAnswer, Answering, Connected, HangingUp, Closing };

    LineDevices lineDevices() const;
    // The selected device with its port open; failed() when that cannot be.
    std::optional<LineDeviceEntry> openSelected();
    bool openDevice(const LineDeviceEntry &device);
    void initialise(const LineDeviceEntry &device, State next);
    void afterInit();
    void onDialFinished(bool connected);
    void onCommandProcessed();
    // Closes once queued output (a dial-cancel string) is sent, at most after a second.
    void closeWhenSent(bool reportClosed);
    void closePort(bool reportClosed);
    // The port as it was before the device took it.
    void restorePort();
    void progress(const QString &text);

    Comport &port_;
    Modem &modem_;
    QString home_;
    QString selected_;
    QString number_;
    int maxAttempts_ = 1;
    int retryWait_ = 0;
    State state_ = State::Idle;
    CallProgressView *view_ = nullptr;
    ComDevices::Override override_;
    Dialer dialer_;
    QString savedPath_;
    int savedComNumber_ = 1;
    qint32 savedBaud_ = 0;
    HandlerRegistration deviceGone_;
    QTimer drainWait_;
    QMetaObject::Connection drained_;
    bool reportClosed_ = false;
};
