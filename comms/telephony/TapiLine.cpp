#include "comms/telephony/TapiLine.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportEvents.h"
#include "comms/modem/Modem.h"

namespace {

// Rings before an incoming call is answered.
constexpr int answerRings = 2;
constexpr int drainWaitMs = 1000;

} // namespace

TapiLine::TapiLine(Comport &port, Modem &modem, const QString &homeFolder, QObject *parent)
    : QObject(parent)
    , port_(port)
    , modem_(modem)
    , home_(homeFolder)
    , dialer_(modem)
{
    drainWait_.setSingleShot(true);
    drainWait_.setInterval(drainWaitMs);
    connect(&drainWait_, &QTimer::timeout, this, [this] { closePort(reportClosed_); });
    connect(&dialer_, &Dialer::attemptStarted, this, [this](int attempt, int tries) {
        if (view_)
            view_->setAttempt(attempt, tries);
    });
    connect(&dialer_, &Dialer::statusText, this, &TapiLine::progress);
    connect(&dialer_, &Dialer::retryCountdown, this,
        [this](int seconds) { progress(tr("Next attempt in %1 seconds").arg(seconds)); });
    connect(&dialer_, &Dialer::finished, this, &TapiLine::onDialFinished);
    connect(&modem_, &Modem::commandProcessed, this, &TapiLine::onCommandProcessed);
    connect(&modem_, &Modem::resultText, this, [this](const QString &text) {
        if (state_ == State::Answering)
            progress(text);
    });
    connect(&modem_, &Modem::isConnectedEvent, this, [this] {
        if (state_ != State::Answering)
            return;
        state_ = State::Connected;
        showStatus(false);
        emit connected();
    });
    // A modem unplugged or switched off mid-call ends it as a hang-up would.
    deviceGone_ = port_.events().disconnected.attach(HandlerStage::Watchers, [this](bool closed) {
        if (closed && state_ != State::Idle && state_ != State::Closing) {
            emit logMessage(tr("Line device %1: the port went away").arg(selected_));
            if (state_ == State::Dialling) {
                state_ = State::Closing;
                dialer_.cancel();
            }
            closePort(true);
        }
        return false;
    });
    connect(&modem_, &Modem::carrierLost, this, [this] {
        if (state_ != State::Connected)
            return;
        emit logMessage(tr("Line device %1: the far end hung up").arg(selected_));
        closePort(true);
    });
}

TapiLine::~TapiLine() = default;

LineDevices TapiLine::lineDevices() const
{
    return LineDevices(home_, override_);
}

QStringList TapiLine::devices() const
{
    QStringList problems;
    QStringList names;
    for (const LineDeviceEntry &device : lineDevices().devices(&problems))
        names << device.name;
    for (const QString &problem : problems)
        emit const_cast<TapiLine *>(this)->logMessage(problem);
    return names;
}

bool TapiLine::selectDevice(const QString &name)
{
    if (name.isEmpty()) {
        selected_.clear();
        return true;
    }
    for (const QString &device : devices()) {
        if (device.compare(name, Qt::CaseInsensitive) == 0) {
            selected_ = device;
            return true;
        }
    }
    return false;
}

QString TapiLine::selectedDevice() const
{
    return selected_;
}

void TapiLine::setMaxAttempts(int attempts)
{
    maxAttempts_ = qMax(1, attempts);
}

int TapiLine::maxAttempts() const
{
    return maxAttempts_;
}

void TapiLine::setRetryWait(int seconds)
{
    retryWait_ = qMax(0, seconds);
}

int TapiLine::retryWait() const
{
    return retryWait_;
}

void TapiLine::setStatusView(CallProgressView *view)
{
    view_ = view;
}

void TapiLine::showStatus(bool visible)
{
    if (view_)
        view_->showProgress(visible);
}

void TapiLine::progress(const QString &text)
{
    if (view_)
        view_->setProgressText(text);
}

std::optional<LineDeviceEntry> TapiLine::openSelected()
{
    if (state_ != State::Idle) {
        emit logMessage(tr("Line device %1 is busy with another call").arg(selected_));
        return std::nullopt;
    }
    const auto device = selected_.isEmpty() ? std::nullopt : lineDevices().entry(selected_);
    if (!device)
        emit logMessage(tr("No line device selected"));
    if (!device || !openDevice(*device)) {
        emit failed();
        return std::nullopt;
    }
    return device;
}

void TapiLine::dial(const QString &number)
{
    const auto device = openSelected();
    if (!device)
        return;
    number_ = number;
    dialer_.setNumber(number);
    dialer_.setMaxTries(maxAttempts_);
    dialer_.setRetrySeconds(retryWait_);
    if (view_) {
        view_->setCall(device->name, number);
        view_->setAttempt(0, maxAttempts_);
    }
    showStatus(true);
    initialise(*device, State::InitForDial);
}

void TapiLine::autoAnswer()
{
    const auto device = openSelected();
    if (!device)
        return;
    number_.clear();
    if (view_)
        view_->setCall(device->name, QString());
    initialise(*device, State::InitForAnswer);
}

bool TapiLine::openDevice(const LineDeviceEntry &device)
{
    const QString path = lineDevices().devicePath(device.port);
    if (path.isEmpty()) {
        emit logMessage(tr("Line device %1: no such port %2").arg(device.name, device.port));
        return false;
    }
    savedPath_ = port_.devicePath();
    savedComNumber_ = port_.comNumber();
    savedBaud_ = port_.serialSettings().baud;
    port_.setDeviceLayer(DeviceLayer::Serial);
    // A COM number goes through the port's own ComDevice<n> mapping.
    bool isNumber = false;
    const int comNumber = device.port.toInt(&isNumber);
    if (isNumber)
        port_.setComNumber(comNumber);
    else
        port_.setDevicePath(path);
    if (device.baud > 0)
        port_.setBaud(device.baud);
    try {
        port_.open();
    } catch (const ComportError &error) {
        QString reason = error.message();
        if (error.code() == ComportCode::PermissionDenied && !reason.contains(QLatin1String("dialout")))
            reason += tr("; you may need to be a member of the dialout group");
        emit logMessage(tr("Line device %1: cannot open %2: %3").arg(device.name, path, reason));
        restorePort();
        return false;
    }
    modem_.setEnabled(true);
    emit portOpened();
    return true;
}

void TapiLine::initialise(const LineDeviceEntry &device, State next)
{
    state_ = next;
    if (device.init.isEmpty()) {
        afterInit();
        return;
    }
    progress(tr("Initializing modem"));
    modem_.sendCommand(device.init);
}

void TapiLine::afterInit()
{
    if (state_ == State::InitForDial) {
        state_ = State::Dialling;
        dialer_.run();
    } else if (state_ == State::InitForAnswer) {
        state_ = State::Answering;
        progress(tr("Waiting for call"));
        modem_.answerAfter(answerRings);
    }
}

void TapiLine::onCommandProcessed()
{
    if (state_ == State::InitForDial || state_ == State::InitForAnswer)
        afterInit();
    else if (state_ == State::HangingUp)
        closePort(true);
}

void TapiLine::onDialFinished(bool connected)
{
    if (state_ != State::Dialling)
        return;
    showStatus(false);
    if (connected) {
        state_ = State::Connected;
        emit this->connected();
        return;
    }
    emit logMessage(tr("Line device %1: the call to %2 failed").arg(selected_, number_));
    closeWhenSent(false);
    emit failed();
}

void TapiLine::cancelCall()
{
    switch (state_) {
    case State::Idle:
    case State::HangingUp:
    case State::Closing:
        return;
    case State::Connected:
        state_ = State::HangingUp;
        progress(tr("Hanging up"));
        modem_.hangup();
        return;
    case State::Dialling:
        state_ = State::Closing;
        dialer_.cancel();
        closeWhenSent(true);
        return;
    case State::InitForDial:
    case State::InitForAnswer:
    case State::Answering:
        closeWhenSent(true);
        return;
    }
}

void TapiLine::cancelFromStatus()
{
    cancelCall();
    emit statusCancelled();
}

void TapiLine::closeWhenSent(bool reportClosed)
{
    state_ = State::Closing;
    reportClosed_ = reportClosed;
    if (port_.outBuffUsed() == 0) {
        closePort(reportClosed);
        return;
    }
    drained_ = connect(&port_, &Comport::outputDrained, this, [this] { closePort(reportClosed_); });
    drainWait_.start();
}

void TapiLine::closePort(bool reportClosed)
{
    disconnect(drained_);
    drainWait_.stop();
    modem_.setEnabled(false);
    port_.close();
    restorePort();
    state_ = State::Idle;
    showStatus(false);
    if (reportClosed)
        emit portClosed();
}

void TapiLine::restorePort()
{
    port_.setComNumber(savedComNumber_);
    if (port_.devicePath() != savedPath_)
        port_.setDevicePath(savedPath_);
    port_.setBaud(savedBaud_);
}
