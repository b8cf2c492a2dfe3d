#include "script/TScript.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptFileSender.h"
#include "script/ScriptPaths.h"
#include "script/ScriptTables.h"
#include "script/ScriptTerminal.h"
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

qsizetype TScript::labelIndex(const QString &name) const
{
    const QString wanted = name.toUpper();
    const auto &list = records();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].Command == Label && list[i].Data.toUpper() == wanted)
            return qsizetype(i);
    return qsizetype(list.size());
}

// CHDIR, DELETE, FILECOPY, READCONFIG, WRITECONFIG, EXECFILE and PLAYSOUND go on to the next record.
void TScript::perform(const TScriptNode &node)
{
    switch (node.Command) {
    case InitPort:
        initPort(node);
        break;
    case DonePort:
        donePort();
        break;
    case Send:
        port_->putString(Evaluate(node.Data));
        break;
    case Wait:
        waitFor(node);
        break;
    case WaitMulti:
        waitMulti(node);
        break;
    case If:
        if (node.Condition == LastCondition)
            next_ = labelIndex(Evaluate(node.Data));
        break;
    case Display: {
        const QString text = Evaluate(node.Data);
        if (DisplayToTerminal && terminal_)
            terminal_->display(text);
        emit OnScriptDisplay(this, text);
        break;
    }
    case Goto:
        next_ = labelIndex(Evaluate(node.Data));
        break;
    case SendBreak:
        if (port_->isOpen())
            port_->sendBreak(node.Number, false);
        break;
    case Delay:
        delay(node);
        break;
    case Set:
        setOption(node);
        break;
    case Upload:
    case Download:
        startTransfer(node, node.Command == Upload);
        break;
    case SendFile:
        sendFile(Evaluate(node.Data));
        break;
    case WaitForTime:
        waitForTime(node);
        break;
    case OpenClient:
        openClient(node);
        break;
    case Parity:
        setParity(Evaluate(node.Data));
        break;
    case DataBits:
    case StopBits: {
        bool ok = false;
        const int value = Evaluate(node.Data).trimmed().toInt(&ok);
        if (ok && node.Command == DataBits)
            port_->setDataBits(value);
        else if (ok)
            port_->setStopBits(value);
        break;
    }
    case Capture:
        if (terminal_) {
            const QString word = Evaluate(node.Data).toUpper();
            if (word == QLatin1String("ON") || word == QLatin1String("OFF"))
                terminal_->setCapture(word == QLatin1String("ON"));
        }
        break;
    case CaptureFile:
        if (terminal_ && !node.Data.isEmpty())
            terminal_->setCaptureFile(ScriptPaths::resolve(Evaluate(node.Data).left(255)));
        break;
    case Shutdown:
        ShutdownRequested = true;
        state_ = RunState::Finished;
        break;
    case ClearWindow:
        if (terminal_)
            terminal_->clearWindow();
        break;
    case ClearBuffer:
        if (terminal_)
            terminal_->clearBuffer();
        break;
    case Input: {
        const QString caption = Evaluate(node.Data);
        const QString text = Evaluate(node.Data2);
        const QString value = Evaluate(node.Data3);
        LastInput = prompt_ ? prompt_->input(caption, text, value).value_or(value) : value;
        break;
    }
    case Compare:
        LastCondition = Evaluate(node.Data) == Evaluate(node.Data2) ? Equal : NotEqual;
        break;
    case Print:
        if (printPoster_) {
            const QString what = Evaluate(node.Data).toUpper();
            if (what == QLatin1String("WINDOW"))
                printPoster_(0);
            else if (what == QLatin1String("BUFFER"))
                printPoster_(1);
        }
        break;
    default:
        break;
    }
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
