#pragma once

#include "sessions/PhonebookEntry.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

// How the current connection was made.
enum class ConnectionKind : quint8 {
    None = 0,
    ModemDial = 1,
    ModemAnswer = 2,
    TcpClient = 3,
    TcpServer = 4,
    Direct = 5
};

// Phonebook entries chosen together and dialled one after another.
struct DialQueue {
    QStringList names;
    int index = 0;
    int passesLeft = 0;
    bool active = false;

    bool operator==(const DialQueue &) const = default;
};

// The program-wide session state, one object for the whole run. The
// controllers change it; the window and the others follow its signals
// instead of being told by each controller. A signal is sent only when
// the value changes.
class SessionState : public QObject {
    Q_OBJECT
public:
    explicit SessionState(QObject *parent = nullptr);

    bool online() const { return online_; }
    // Going online also sets the connect time the clock counts from.
    void setOnline(bool online);
    // The connection is up now: online, and the clock starts again.
    void markConnected();
    QDateTime connectStart() const { return connectStart_; }

    ConnectionKind connectionKind() const { return kind_; }
    void setConnectionKind(ConnectionKind kind);
    bool viaTapi() const { return viaTapi_; }
    void setViaTapi(bool on);

    // The entry loaded for the current or last connection, and its name.
    const PhonebookEntry &currentEntry() const { return entry_; }
    QString currentSessionName() const { return sessionName_; }
    void setCurrentEntry(const PhonebookEntry &entry, const QString &name);
    // The entry buffer alone (the name is also the phonebook window's
    // remembered selection and changes on its own).
    void setCurrentEntry(const PhonebookEntry &entry) { setCurrentEntry(entry, sessionName_); }
    void setCurrentSessionName(const QString &name) { setCurrentEntry(entry_, name); }

    const DialQueue &dialQueue() const { return dialQueue_; }
    void setDialQueue(const DialQueue &queue);

    bool hangupPending() const { return hangupPending_; }
    void setHangupPending(bool on);
    bool exiting() const { return exiting_; }
    void setExiting(bool on);
    bool scriptRunning() const { return scriptRunning_; }
    void setScriptRunning(bool on);

signals:
    void onlineChanged(bool online);
    void connectionKindChanged(ConnectionKind kind);
    void viaTapiChanged(bool on);
    void currentEntryChanged(const QString &name);
    void dialQueueChanged();
    void hangupPendingChanged(bool on);
    void exitingChanged(bool on);
    void scriptRunningChanged(bool on);

private:
    bool online_ = false;
    QDateTime connectStart_;
    ConnectionKind kind_ = ConnectionKind::None;
    bool viaTapi_ = false;
    PhonebookEntry entry_;
    QString sessionName_;
    DialQueue dialQueue_;
    bool hangupPending_ = false;
    bool exiting_ = false;
    bool scriptRunning_ = false;
};
