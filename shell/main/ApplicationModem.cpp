// The modem, its dialler and the line devices: their windows, their log
// lines, the dial queue's message and quick connect.
#include "shell/main/Application.h"

#include "shell/main/PostedMessage.h"

#include <QToolButton>

void Application::wireModem()
{
    dialWindow_.attach(&dialer_);
    callWindow_.attach(&tapi_);
    connect(&modem_, &Modem::commandFailed, this, [this](const QString &reason) { log_.write(reason); });
    connect(&tapi_, &TapiLine::logMessage, this, [this](const QString &text) { log_.write(text); });
    connect(connect_.get(), &ConnectController::dialNextRequested, this,
        [this] { postMessage(PostedMessage::MsgDialNext, 0); });
    QToolButton *direct = window_.button(QStringLiteral("DirectBtn"));
    direct->setEnabled(true);
    connect(direct, &QToolButton::clicked, this, [this] {
        if (adminLock_->AdminCheck())
            connect_->DirectBtnClick();
    });
}
