#include "sessions/ConnectController.h"

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "sessions/LoggingOptions.h"
#include "sessions/SessionState.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

namespace {

const QString title = QStringLiteral("Tarnex 7.0");

} // namespace

ConnectController::ConnectController(Comport &port, SessionState &state, MainView &view, StatusLights &lights,
    TLog &log, LoggingOptions &logging, QObject *parent)
    : QObject(parent)
    , port_(port)
    , state_(state)
    , view_(view)
    , lights_(lights)
    , log_(log)
    , logging_(logging)
{
    closePortTimer_.setSingleShot(true);
    closePortTimer_.setInterval(closePortDelayMs);
    connect(&closePortTimer_, &QTimer::timeout, this, &ConnectController::closePortTimerFired);
    ComportEvents &events = port.events();
    handlers_.push_back(events.data.attach(HandlerStage::Window, [this](const QByteArray &, qint64 waiting) {
        emit received(port_.getBlock(waiting));
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
}

bool ConnectController::openDirect(const LineSpec &line)
{
    logging_.StopLogging();
    port_.close();
    port_.setDeviceLayer(DeviceLayer::Serial);
    if (line.device.isEmpty())
        port_.setComNumber(line.comNumber);
    else
        port_.setDevicePath(line.device);
    port_.setBaud(line.serial.baud);
    try {
        port_.open();
    } catch (const ComportError &error) {
        log_.write(QStringLiteral("Open failed: ") + error.message());
        return false;
    }
    logging_.StartLogging();
    view_.setTerminalActive(true);
    state_.setOnline(true);
    const QString name = line.device.isEmpty() ? QString::number(line.comNumber) : line.device;
    view_.DisplayTerm(QStringLiteral("Connected to COM %1  %2").arg(name).arg(line.serial.baud));
    state_.setConnectionKind(ConnectionKind::Direct);
    state_.setViaTapi(false);
    view_.setLinePanel(QStringLiteral("Com ") + name);
    Postopen();
    return true;
}

void ConnectController::Postopen()
{
    log_.write(QStringLiteral("Entering Post open"));
    lights_.setMonitoring(true);
    log_.write(QStringLiteral("Monitoring lights on"));
    view_.focusTerminal();
}

void ConnectController::DoAttempt(const QString &address, const QString &port)
{
    logging_.StopLogging();
    port_.close();
    port_.setDeviceLayer(DeviceLayer::Socket);
    port_.setSocketMode(SocketMode::Client);
    port_.setSocketAddress(address);
    port_.setSocketPort(port);
    view_.DisplayTerm(QStringLiteral("Attempting connect to ") + address);
    try {
        port_.open();
    } catch (const ComportError &error) {
        view_.DisplayTerm(QStringLiteral("Winsock Error %1").arg(error.code()));
        log_.write(error.message());
        return;
    }
    logging_.StartLogging();
    state_.setOnline(true);
    view_.setTerminalActive(true);
    state_.setConnectionKind(ConnectionKind::TcpClient);
}

void ConnectController::connected()
{
    lights_.setDcd(true);
    lights_.setMonitoring(true);
    view_.DisplayTerm(QStringLiteral("Connected!"));
    view_.setStatusPanel(QStringLiteral("Connected to %1:%2").arg(port_.peerAddress()).arg(port_.peerPort()));
    view_.setLinePanel(QStringLiteral("Winsock"));
    state_.markConnected();
    view_.focusTerminal();
}

void ConnectController::accepted()
{
    lights_.setDcd(true);
    lights_.setMonitoring(true);
    view_.setStatusPanel(QStringLiteral("Connected to %1:%2").arg(port_.peerAddress()).arg(port_.peerPort()));
    view_.setLinePanel(QStringLiteral("Winsock"));
    state_.markConnected();
}

void ConnectController::disconnected()
{
    const ConnectionKind kind = state_.connectionKind();
    if (state_.exiting()
        || (kind != ConnectionKind::TcpClient && kind != ConnectionKind::TcpServer
            && kind != ConnectionKind::Direct))
        return;
    lights_.setDcd(false);
    logging_.StopLogging();
    view_.setStatusPanel(QStringLiteral("Not connected"));
    view_.setLinePanel(QStringLiteral("Offline"));
    view_.DisplayTerm(QStringLiteral("\r\nDisconnected"));
    state_.setOnline(false);
}

void ConnectController::socketError(int code)
{
    view_.DisplayTerm(QStringLiteral("Winsock Error %1").arg(code));
    closePortTimer_.start();
}

void ConnectController::closePortTimerFired()
{
    log_.write(QStringLiteral("Close port timer fired"));
    state_.setOnline(false);
    port_.close();
    view_.DisplayTerm(QStringLiteral("Port has been closed\r\n"));
}

void ConnectController::Shutofflights()
{
    lights_.setMonitoring(false);
    lights_.lightsOut();
}

void ConnectController::Hangup1Click()
{
    log_.write(QStringLiteral("Hanging up"));
    if (!state_.online())
        return;
    view_.DisplayTerm(QStringLiteral("\x0f"));
    view_.setCaption(title);
    log_.write(QStringLiteral("pConType=%1").arg(int(state_.connectionKind())));
    Shutofflights();
    logging_.StopLogging();
    port_.close();
    log_.write(QStringLiteral("Port closed"));
    view_.setLinePanel(QStringLiteral("Offline"));
    view_.setStatusPanel(QStringLiteral("Not Connected"));
    state_.setOnline(false);
}
