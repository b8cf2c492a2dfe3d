#include "script/TScript.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptFileSender.h"
#include "script/ScriptTables.h"
#include "shell/UserPrompt.h"

#include <QCoreApplication>

using namespace ScriptTables;

TScript::TScript(QObject *parent)
    : TCustomScript(parent)
{ }

TScript::~TScript()
{
    removeTriggers();
    detachPortHandlers();
}

void TScript::setPrompt(UserPrompt *prompt)
{
    prompt_ = prompt;
    if (!prompt) {
        evaluator().setInputPrompt({});
        return;
    }
    evaluator().setInputPrompt([prompt](const QString &caption, const QString &text, const QString &value) {
        return prompt->input(caption, text, value).value_or(value);
    });
}

int TScript::currentLine() const
{
    if (lastExecuted_ < 0 || lastExecuted_ >= qsizetype(records().size()))
        return 0;
    return recordLine(lastExecuted_);
}

void TScript::StartScript()
{
    if (records().empty())
        PrepareScript();
    running_ = true;
    TimeoutCount = 0;
    current_ = 0;
    lastExecuted_ = -1;
    removeTriggers();
    delayFlag_ = false;
    awaitingSocket_ = false;
    awaitingSend_ = false;
    state_ = RunState::Ready;
    if (!port_) {
        ownPort_ = std::make_unique<Comport>();
        port_ = ownPort_.get();
    }
    attachPortHandlers();
    Run();
}

void TScript::CancelScript()
{
    if (awaitingSend_ && fileSender_)
        fileSender_->cancel();
    if (protocol_ && protocol_->inProgress() && finishHandler_)
        protocol_->cancel();
    Finish(Fail);
}

void TScript::attachPortHandlers()
{
    auto &events = port_->events();
    timerHandler_ = events.timerTrigger.attach(
        HandlerStage::Script, [this](int handle) { return onTimerTrigger(handle); });
    dataHandler_ = events.dataTrigger.attach(
        HandlerStage::Script, [this](int handle) { return onDataTrigger(handle); });
    // The window still sees connections and errors: the script only resumes on them.
    connectHandler_ = events.connected.attach(HandlerStage::Script, [this] {
        resumeWith(Connected);
        return false;
    });
    acceptHandler_ = events.accepted.attach(HandlerStage::Script, [this] {
        resumeWith(Accepted);
        return false;
    });
    errorHandler_ = events.error.attach(HandlerStage::Script, [this](int, const QString &) {
        if (awaitingSocket_)
            resumeWith(Error);
        return false;
    });
}

void TScript::detachPortHandlers()
{
    timerHandler_.reset();
    dataHandler_.reset();
    connectHandler_.reset();
    acceptHandler_.reset();
    errorHandler_.reset();
}

void TScript::freeTimeOfDay()
{
    // Deleted later: the timer's own tick may be what is running.
    if (timeOfDay_) {
        timeOfDay_->stop();
        timeOfDay_.release()->deleteLater();
    }
}

void TScript::Run()
{
    freeTimeOfDay();
    // An event delivered while the loop runs (the port's or the application's) only changes
    // the state; the loop already on the stack carries on from it.
    if (inRun_ || !running_)
        return;
    inRun_ = true;
    try {
        while (state_ == RunState::Ready && running_) {
            // A script whose last record waited ends when that wait does.
            if (current_ >= qsizetype(records().size())) {
                LastCondition = Success;
                state_ = RunState::Finished;
                break;
            }
            if (port_ && port_->isOpen())
                port_->processCommunications();
            if (state_ == RunState::Ready && running_)
                executeRecord();
            if (!running_)
                break;
            current_ = next_;
            if (state_ == RunState::Waiting)
                break;
            if (state_ == RunState::Ready && current_ >= qsizetype(records().size())) {
                LastCondition = Success;
                state_ = RunState::Finished;
            }
        }
    } catch (...) {
        state_ = RunState::Finished;
        LastCondition = Fail;
    }
    inRun_ = false;
    if (running_ && state_ == RunState::Finished)
        Finish(LastCondition);
}

void TScript::executeRecord()
{
    const TScriptNode node = records().at(std::size_t(current_));
    lastExecuted_ = current_;
    emit OnScriptCommandStart(this, node, LastCondition);
    if (port_ && port_->isOpen())
        port_->processCommunications();
    QCoreApplication::processEvents();
    if (!running_)
        return;
    next_ = current_ + 1;
    state_ = RunState::Ready;
    try {
        perform(node);
    } catch (...) {
        // A failing command counts as done.
    }
    emit OnScriptCommandFinish(this, node, LastCondition);
}

void TScript::Finish(int condition)
{
    freeTimeOfDay();
    if (!running_)
        return;
    removeTriggers();
    awaitingSocket_ = false;
    awaitingSend_ = false;
    if (port_ && !ownPort_ && openedByScript_ && port_->isOpen() != rememberedOpen_) {
        if (rememberedOpen_) {
            try {
                port_->open();
            } catch (...) { }
        } else {
            port_->close();
        }
    }
    openedByScript_ = false;
    detachPortHandlers();
    finishHandler_.reset();
    nextFileHandler_.reset();
    if (link_) {
        // A transfer cut short: what the other side still sends is dropped before the line
        // goes back to the terminal.
        if (protocol_ && protocol_->inProgress())
            link_.release()->discardUntilQuiet(500, 5000);
        else
            link_.reset();
    }
    if (ownPort_)
        ownProtocol_.reset();
    state_ = RunState::Finished;
    emit OnScriptFinish(this, condition);
    running_ = false;
    if (ShutdownRequested)
        emit closeRequested();
}
