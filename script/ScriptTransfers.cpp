#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptFileSender.h"
#include "script/ScriptPaths.h"
#include "script/ScriptTables.h"
#include "script/ScriptTerminal.h"
#include "script/TScript.h"

using namespace ScriptTables;

namespace {

constexpr int maxFileName = 255;

} // namespace

ProtocolEngine &TScript::ensureProtocol()
{
    if (!protocol_) {
        ownProtocol_ = std::make_unique<ProtocolEngine>();
        protocol_ = ownProtocol_.get();
    }
    return *protocol_;
}

void TScript::startTransfer(const TScriptNode &node, bool upload)
{
    ProtocolEngine &engine = ensureProtocol();
    if (!port_->isOpen()) {
        LastCondition = Fail;
        return;
    }
    finishHandler_ = engine.events().finish.attach(
        HandlerStage::Script, [this](int code) { return onTransferFinish(code); });
    nextFileHandler_ = engine.events().nextFile.attach(
        HandlerStage::Script, [this](QString &path) { return onNextFile(path); });
    engine.setProtocolType(ProtocolType(protocolNumber(Evaluate(node.Data).trimmed().toUpper())));
    if (terminal_) {
        terminalWasActive_ = terminal_->isActive();
        terminal_->setActive(false);
    }
    link_ = std::make_unique<ComportLink>(port_);
    engine.setLink(link_.get());
    state_ = RunState::Waiting;
    if (upload) {
        if (!engine.fileMask().isEmpty()) {
            engine.setFileName(QString());
            nextFileHandler_.reset();
        } else {
            pendingFile_ = engine.fileName();
            engine.setFileName(QString());
        }
        engine.startTransmit();
    } else {
        engine.startReceive();
    }
}

bool TScript::onNextFile(QString &path)
{
    path = ScriptPaths::foundPath(pendingFile_.left(maxFileName));
    pendingFile_.clear();
    return true;
}

bool TScript::onTransferFinish(int code)
{
    if (terminal_) {
        terminal_->display(code == 0 ? QStringLiteral("Transfer Complete")
                                     : QStringLiteral("Protocol Error: ") + QString::number(code)
                    + QLatin1Char(':') + transferResultText(code));
        terminal_->setActive(terminalWasActive_);
    }
    LastCondition = code == 0 ? Success : Fail;
    state_ = RunState::Ready;
    finishHandler_.reset();
    nextFileHandler_.reset();
    protocol_->setFileMask(QString());
    protocol_->setFileName(QString());
    // The line goes back to the terminal once the engine has left its finish event.
    if (link_)
        link_.release()->deleteLater();
    ResumeAfterTick();
    return false;
}

void TScript::sendFile(const QString &path)
{
    if (!fileSender_ || !port_->isOpen())
        return;
    awaitingSend_ = true;
    state_ = RunState::Waiting;
    fileSender_->send(ScriptPaths::foundPath(path), [this] {
        if (!awaitingSend_ || !running_)
            return;
        awaitingSend_ = false;
        ResumeAfterTick();
    });
}
