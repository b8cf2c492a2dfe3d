#include "comms/line/Comport.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"
#include "shell/UserPrompt.h"

#include <QTime>

using namespace ScriptTables;

namespace {

constexpr int maxTriggerText = 255;
constexpr int timeOfDayCheckMs = 1000;
constexpr double msPerDay = 24.0 * 60 * 60 * 1000;

QByteArray triggerText(const QString &text)
{
    return text.left(maxTriggerText).toLatin1();
}

} // namespace

bool TScript::armTimer(std::uint16_t ticks)
{
    timerTrigger_ = port_->addTimerTrigger();
    return timerTrigger_ && port_->setTimerTrigger(timerTrigger_, ticks, true);
}

void TScript::removeTriggers()
{
    if (port_) {
        for (int &handle : dataTriggers_) {
            if (handle)
                port_->removeTrigger(handle);
            handle = 0;
        }
        if (timerTrigger_)
            port_->removeTrigger(timerTrigger_);
    }
    dataTriggers_.fill(0);
    dataTriggerCount_ = 0;
    timerTrigger_ = 0;
}

void TScript::waitFor(const TScriptNode &node)
{
    if (!port_->isOpen()) {
        state_ = RunState::Finished;
        return;
    }
    removeTriggers();
    dataTriggers_[0] = port_->addDataTrigger(triggerText(Evaluate(node.Data)), true);
    dataTriggerCount_ = 1;
    if (!dataTriggers_[0] || !armTimer(node.Number)) {
        removeTriggers();
        return;
    }
    delayFlag_ = false;
    state_ = RunState::Waiting;
}

void TScript::waitMulti(const TScriptNode &node)
{
    if (!port_->isOpen())
        return;
    removeTriggers();
    const QStringList texts = Evaluate(node.Data).split(QLatin1Char('|'));
    if (texts.size() > maxWaitTexts)
        return;
    for (const QString &text : texts) {
        const int handle = port_->addDataTrigger(triggerText(text), true);
        dataTriggers_[std::size_t(dataTriggerCount_++)] = handle;
        if (!handle) {
            removeTriggers();
            return;
        }
    }
    if (!armTimer(node.Number)) {
        removeTriggers();
        return;
    }
    delayFlag_ = false;
    state_ = RunState::Waiting;
}

void TScript::delay(const TScriptNode &node)
{
    if (!port_->isOpen()) {
        if (prompt_)
            prompt_->warning(
                QStringLiteral("Must have connection open to delay script. No current connection."));
        return;
    }
    removeTriggers();
    if (!armTimer(node.Number)) {
        removeTriggers();
        return;
    }
    delayFlag_ = true;
    state_ = RunState::Waiting;
}

void TScript::waitForTime(const TScriptNode &node)
{
    const double wanted = node.TimeOfDay;
    timeOfDay_ = std::make_unique<QTimer>();
    connect(timeOfDay_.get(), &QTimer::timeout, this, [this, wanted] {
        if (double(QTime::currentTime().msecsSinceStartOfDay()) / msPerDay < wanted)
            return;
        state_ = RunState::Ready;
        Run();
    });
    timeOfDay_->start(timeOfDayCheckMs);
    state_ = RunState::Waiting;
}

void TScript::ResumeAfterTick()
{
    removeTriggers();
    if (!armTimer(1)) {
        removeTriggers();
        CancelScript();
        return;
    }
    delayFlag_ = true;
}

bool TScript::onTimerTrigger(int handle)
{
    if (!running_ || handle == 0 || handle != timerTrigger_)
        return false;
    removeTriggers();
    if (delayFlag_) {
        delayFlag_ = false;
    } else {
        ++TimeoutCount;
        LastCondition = TimeoutCount >= RetryLimit ? Fail : Timeout;
    }
    state_ = RunState::Ready;
    Run();
    return true;
}

bool TScript::onDataTrigger(int handle)
{
    if (!running_ || handle == 0)
        return false;
    for (int slot = 0; slot < dataTriggerCount_; ++slot) {
        if (dataTriggers_[std::size_t(slot)] != handle)
            continue;
        removeTriggers();
        LastCondition = std::int16_t(slot + 1);
        state_ = RunState::Ready;
        // Before the run goes on, so the next wait counts its time-outs afresh.
        TimeoutCount = 0;
        Run();
        return true;
    }
    return false;
}
