#include "comms/line/Comport.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"

#include <QRegularExpression>

using namespace ScriptTables;

namespace {

constexpr qint32 defaultBaud = 57600;

} // namespace

// A connect, accept or failed connect ends an OPENCLIENT wait; a connect or accept at any
// other time only sets the condition.
void TScript::resumeWith(std::int16_t condition)
{
    if (!running_)
        return;
    LastCondition = condition;
    const bool resume = awaitingSocket_ || condition != Error;
    awaitingSocket_ = false;
    if (!resume || state_ != RunState::Waiting)
        return;
    state_ = RunState::Ready;
    Run();
}

void TScript::initPort(const TScriptNode &node)
{
    openedByScript_ = true;
    rememberedOpen_ = port_->isOpen();
    port_->setDeviceLayer(DeviceLayer::Serial);
    const QString device = Evaluate(node.Data).trimmed();
    const QRegularExpressionMatch com
        = QRegularExpression(QStringLiteral("^COM(\\d+)$"), QRegularExpression::CaseInsensitiveOption)
              .match(device);
    if (com.hasMatch()) {
        port_->setDevicePath(QString());
        port_->setComNumber(com.captured(1).toInt());
    }
    bool ok = false;
    const qint32 baud = Evaluate(node.Data2).trimmed().toInt(&ok);
    port_->setBaud(ok && baud > 0 ? baud : defaultBaud);
    port_->open();
}

void TScript::openClient(const TScriptNode &node)
{
    openedByScript_ = true;
    rememberedOpen_ = port_->isOpen();
    port_->setDeviceLayer(DeviceLayer::Socket);
    port_->setSocketAddress(Evaluate(node.Data));
    port_->setSocketPort(node.Data2);
    // Waiting before the open: a refused connection may be reported at once.
    state_ = RunState::Waiting;
    awaitingSocket_ = true;
    try {
        port_->open();
    } catch (...) {
        awaitingSocket_ = false;
        LastCondition = Error;
        state_ = RunState::Ready;
    }
}

void TScript::donePort()
{
    openedByScript_ = false;
    port_->close();
}

void TScript::setParity(const QString &word)
{
    static const QStringList names{QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN"),
        QStringLiteral("MARK"), QStringLiteral("SPACE")};
    const qsizetype index = names.indexOf(word.trimmed().toUpper());
    if (index >= 0)
        port_->setParity(int(index));
}
