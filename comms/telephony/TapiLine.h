#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class Comport;
class Modem;

// The "Call Progress" window as the line device sees it.
class CallProgressView {
public:
    virtual ~CallProgressView() = default;
    virtual void showProgress(bool visible) = 0;
    virtual void setProgressText(const QString &text) = 0;
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

signals:
    void portOpened();
    void portClosed();
    void connected();
    void failed();
    // The call-progress window's Cancel.
    void statusCancelled();
};
