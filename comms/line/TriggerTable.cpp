#include "comms/line/TriggerTable.h"

#include "shell/Ticks.h"

TriggerTable::TriggerTable(QObject *parent)
    : QObject(parent)
{ }

int TriggerTable::add(Entry entry)
{
    if (static_cast<int>(entries_.size()) >= maxTriggers)
        throw ComportError(ComportCode::BadSetting, tr("No more triggers can be added to the port"));
    // Lowest free handle at or after the last one given, wrapping round, so
    // a handle just removed is not handed out again at once.
    int handle = nextHandle_;
    while (entries_.count(handle))
        handle = handle >= maxTriggers ? 1 : handle + 1;
    nextHandle_ = handle >= maxTriggers ? 1 : handle + 1;
    entries_.emplace(handle, std::move(entry));
    return handle;
}

int TriggerTable::addData(const QByteArray &text, bool ignoreCase)
{
    if (text.isEmpty() || text.size() > maxDataLength)
        throw ComportError(ComportCode::BadSetting,
            tr("A data trigger needs 1 to %1 characters of text").arg(maxDataLength));
    Entry entry;
    entry.kind = TriggerKind::Data;
    entry.matcher = TextMatcher(text, ignoreCase);
    entry.armed = true;
    return add(std::move(entry));
}

int TriggerTable::addTimer()
{
    Entry entry;
    entry.kind = TriggerKind::Timer;
    entry.timer = std::make_unique<QTimer>();
    entry.timer->setSingleShot(true);
    entry.timer->setTimerType(Qt::PreciseTimer);
    const int handle = add(std::move(entry));
    connect(
        entries_.at(handle).timer.get(), &QTimer::timeout, this, [this, handle] { emit timerFired(handle); });
    return handle;
}

int TriggerTable::addStatus(StatusTriggerType type)
{
    Entry entry;
    entry.kind = TriggerKind::Status;
    entry.statusType = type;
    return add(std::move(entry));
}

TriggerTable::Entry *TriggerTable::find(int handle, TriggerKind kind)
{
    const auto it = entries_.find(handle);
    return it != entries_.end() && it->second.kind == kind ? &it->second : nullptr;
}

bool TriggerTable::setTimer(int handle, qint64 ticks, bool active)
{
    Entry *entry = find(handle, TriggerKind::Timer);
    if (!entry)
        return false;
    entry->timer->stop();
    if (active)
        entry->timer->start(static_cast<int>(qMin<qint64>(Ticks::toMs(ticks), INT_MAX)));
    return true;
}

bool TriggerTable::setStatus(int handle, int value, bool active, int currentLines)
{
    Entry *entry = find(handle, TriggerKind::Status);
    if (!entry)
        return false;
    entry->value = value;
    entry->armed = active;
    entry->lastLines = currentLines;
    return true;
}

bool TriggerTable::remove(int handle)
{
    return entries_.erase(handle) != 0;
}

void TriggerTable::clear()
{
    entries_.clear();
}

std::vector<int> TriggerTable::feed(char byte)
{
    std::vector<int> fired;
    for (auto &[handle, entry] : entries_) {
        if (entry.kind == TriggerKind::Data && entry.matcher.feed(byte))
            fired.push_back(handle);
    }
    return fired;
}

std::vector<int> TriggerTable::modemLinesChanged(int lines)
{
    std::vector<int> fired;
    for (auto &[handle, entry] : entries_) {
        if (entry.kind != TriggerKind::Status || entry.statusType != StatusTriggerType::ModemStatus
            || !entry.armed)
            continue;
        if ((lines ^ entry.lastLines) & entry.value) {
            entry.armed = false;
            fired.push_back(handle);
        }
        entry.lastLines = lines;
    }
    return fired;
}

std::vector<int> TriggerTable::outputFree(qint64 freeBytes)
{
    std::vector<int> fired;
    for (auto &[handle, entry] : entries_) {
        if (entry.kind == TriggerKind::Status && entry.statusType == StatusTriggerType::OutputFree
            && entry.armed && freeBytes >= entry.value) {
            entry.armed = false;
            fired.push_back(handle);
        }
    }
    return fired;
}

bool TriggerTable::watchesModemLines() const
{
    for (const auto &[handle, entry] : entries_) {
        if (entry.kind == TriggerKind::Status && entry.statusType == StatusTriggerType::ModemStatus
            && entry.armed)
            return true;
    }
    return false;
}

bool TriggerTable::hasDataTriggers() const
{
    for (const auto &[handle, entry] : entries_) {
        if (entry.kind == TriggerKind::Data)
            return true;
    }
    return false;
}
