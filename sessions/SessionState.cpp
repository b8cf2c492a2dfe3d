#include "sessions/SessionState.h"

namespace {

// Sets a value and tells when it changed.
template <typename Value, typename Notify> void change(Value &stored, const Value &value, Notify notify)
{
    if (stored == value)
        return;
    stored = value;
    notify();
}

} // namespace

SessionState::SessionState(QObject *parent)
    : QObject(parent)
{ }

void SessionState::setOnline(bool online)
{
    if (online && !online_)
        connectStart_ = QDateTime::currentDateTime();
    change(online_, online, [&] { emit onlineChanged(online); });
}

void SessionState::markConnected()
{
    connectStart_ = QDateTime::currentDateTime();
    change(online_, true, [&] { emit onlineChanged(true); });
}

void SessionState::setConnectionKind(ConnectionKind kind)
{
    change(kind_, kind, [&] { emit connectionKindChanged(kind); });
}

void SessionState::setViaTapi(bool on)
{
    change(viaTapi_, on, [&] { emit viaTapiChanged(on); });
}

void SessionState::setCurrentEntry(const PhonebookEntry &entry, const QString &name)
{
    entry_ = entry;
    sessionName_ = name;
    emit currentEntryChanged(name);
}

void SessionState::setDialQueue(const DialQueue &queue)
{
    change(dialQueue_, queue, [&] { emit dialQueueChanged(); });
}

void SessionState::setHangupPending(bool on)
{
    change(hangupPending_, on, [&] { emit hangupPendingChanged(on); });
}

void SessionState::setExiting(bool on)
{
    change(exiting_, on, [&] { emit exitingChanged(on); });
}

void SessionState::setScriptRunning(bool on)
{
    change(scriptRunning_, on, [&] { emit scriptRunningChanged(on); });
}
