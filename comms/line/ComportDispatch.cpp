#include "comms/events/NestedLoop.h"
#include "comms/line/Comport.h"
#include "comms/line/LineDevice.h"
#include "comms/line/TextMatcher.h"
#include "shell/Ticks.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QScopeGuard>

// Events: collected in order, delivered one at a time through the chains;
// triggers; waiting for text.

template <typename Call> void Comport::guarded(Call &&call)
{
    try {
        call();
    } catch (const std::exception &error) {
        fail(ComportCode::HandlerFailed,
            tr("An event handler failed: %1").arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        fail(ComportCode::HandlerFailed, tr("An event handler failed"));
    }
}

// ---- events ----

void Comport::post(Event event, bool now)
{
    queue_.push_back(std::move(event));
    if (now)
        dispatch();
    else
        scheduleDispatch();
}

void Comport::scheduleDispatch()
{
    if (dispatchPosted_)
        return;
    dispatchPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            dispatchPosted_ = false;
            dispatch();
        },
        Qt::QueuedConnection);
}

void Comport::dispatch()
{
    if (dispatching_ || holdEvents_)
        return;
    QPointer<Comport> alive(this);
    // Cleared on every way out, unless a handler destroyed the port.
    const auto clear = qScopeGuard([this, alive] {
        if (alive)
            dispatching_ = false;
    });
    dispatching_ = true;
    handInUnread();
    if (!alive)
        return;
    while (!queue_.empty() && !holdEvents_) {
        Event event = std::move(queue_.front());
        queue_.pop_front();
        deliver(event);
        if (!alive)
            return;
    }
}

void Comport::deliver(Event &event)
{
    switch (event.type) {
    case EventType::Data:
        queuedInput_ -= event.bytes.size();
        if (event.handle == returnedInput)
            deliverReturned(event.bytes);
        else
            deliverData(event.bytes);
        break;
    case EventType::Trigger:
        if (triggers_.contains(event.handle))
            fireTrigger(event.kind, event.handle);
        break;
    case EventType::OutputFree:
        if (triggers_.contains(event.handle))
            fireTrigger(TriggerKind::Status, event.handle);
        break;
    case EventType::Drained:
        if (outBuffUsed() == 0)
            guarded([&] { emit outputDrained(); });
        break;
    case EventType::Connected:
        events_.connected.dispatch();
        break;
    case EventType::Accepted:
        events_.accepted.dispatch();
        break;
    case EventType::Negotiated:
        guarded([&] { emit telnetNegotiated(); });
        break;
    case EventType::Disconnected: {
        QPointer<Comport> alive(this);
        if (event.handle)
            guarded([&] { emit openChanged(false); });
        if (alive)
            events_.disconnected.dispatch(event.handle != 0);
        break;
    }
    case EventType::Error:
        events_.error.dispatch(event.handle, event.message);
        break;
    }
}

// Data up to each trigger match is stored before the trigger fires, so a
// handler that claims the input (an automatic download) gets what follows.
void Comport::deliverData(const QByteArray &bytes)
{
    QPointer<Comport> alive(this);
    qsizetype from = 0;
    while (from < bytes.size()) {
        std::vector<int> fired;
        qsizetype end = from;
        if (!triggers_.hasDataTriggers())
            end = bytes.size();
        while (end < bytes.size() && fired.empty())
            fired = triggers_.feed(bytes[end++]);
        store(bytes.mid(from, end - from));
        if (!alive)
            return;
        from = end;
        for (int handle : fired) {
            if (triggers_.contains(handle))
                fireTrigger(TriggerKind::Data, handle);
            if (!alive)
                return;
        }
    }
}

void Comport::store(const QByteArray &bytes)
{
    QPointer<Comport> alive(this);
    guarded([&] { emit received(bytes); });
    if (!alive)
        return;
    if (events_.data.dispatchStages(HandlerStage::Claim, HandlerStage::Claim, bytes, input_.size())) {
        if (alive)
            events_.data.dispatchStages(HandlerStage::Watchers, HandlerStage::Watchers, bytes, input_.size());
        return;
    }
    input_.append(bytes);
    events_.data.dispatchStages(HandlerStage::Waits, HandlerStage::Watchers, bytes, input_.size());
}

void Comport::fireTrigger(TriggerKind kind, int handle)
{
    if (kind == TriggerKind::Data)
        events_.dataTrigger.dispatch(handle);
    else if (kind == TriggerKind::Timer)
        events_.timerTrigger.dispatch(handle);
    else
        events_.statusTrigger.dispatch(handle);
}

// ---- triggers ----

int Comport::addDataTrigger(const QByteArray &text, bool ignoreCase)
{
    try {
        return triggers_.addData(text, ignoreCase);
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

int Comport::addTimerTrigger()
{
    try {
        return triggers_.addTimer();
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

int Comport::addStatusTrigger(StatusTriggerType type)
{
    try {
        return triggers_.addStatus(type);
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

bool Comport::setTimerTrigger(int handle, qint64 ticks, bool active)
{
    return triggers_.setTimer(handle, ticks, active)
        || fail(ComportCode::BadSetting, tr("%1 is not a timer trigger").arg(handle));
}

bool Comport::setStatusTrigger(int handle, int value, bool active)
{
    if (!triggers_.setStatus(handle, value, active, device_ ? device_->modemLines().value_or(0) : 0))
        return fail(ComportCode::BadSetting, tr("%1 is not a status trigger").arg(handle));
    lastModemLines_ = device_ ? device_->modemLines().value_or(0) : 0;
    updateModemPolling();
    // An output-free trigger armed while there is room already fires.
    QMetaObject::invokeMethod(
        this,
        [this] {
            for (int fired : triggers_.outputFree(outBuffFree()))
                post({EventType::OutputFree, TriggerKind::Status, fired, {}, {}}, true);
        },
        Qt::QueuedConnection);
    return true;
}

void Comport::removeTrigger(int handle)
{
    triggers_.remove(handle);
    updateModemPolling();
}

// ---- waiting ----

bool Comport::waitForString(const QByteArray &text, qint64 ticks, bool yield, bool ignoreCase)
{
    if (!isOpen() || text.isEmpty())
        return false;
    Waiter waiter{TextMatcher(text, ignoreCase)};
    Waiter *outer = std::exchange(waiter_, &waiter);
    QPointer<Comport> alive(this);
    const int held = holdEvents_;
    // The wait's state is put back on every way out, unless the port is gone.
    const auto restore = qScopeGuard([this, alive, outer, held] {
        if (alive) {
            waiter_ = outer;
            holdEvents_ = held;
        }
    });
    QDeadlineTimer deadline(Ticks::toMs(ticks), Qt::PreciseTimer);
    if (yield) {
        NestedLoop loop(this);
        waiter.loop = &loop;
        loop.quitOn(this, &Comport::openChanged);
        if (!loop.run(qMax<qint64>(0, deadline.remainingTime())))
            return waiter.matched;
    } else {
        // No event loop: the device is read directly and events are held
        // until the wait is over.
        // The input-buffer limit holds here too: once the buffer is full
        // nothing more can be read, and the wait is over.
        ++holdEvents_;
        while (!waiter.matched && !deadline.hasExpired() && device_ && inputRoom() > 0) {
            if (device_->waitForInput(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
                while (device_ && device_->hasInput() && inputRoom() > 0 && !pull(inputRoom()).isEmpty()) { }
            pumpOutput();
        }
        readingStopped_ = readingStopped_ || inputRoom() <= 0;
        --holdEvents_;
        scheduleDispatch();
    }
    return waiter.matched;
}

void Comport::processCommunications()
{
    if (device_ && device_->waitForInput(0))
        readDevice();
    else
        dispatch();
}
