// Dialling several phonebook entries one after another.
#include "sessions/ConnectController.h"

#include "comms/modem/Dialer.h"
#include "comms/telephony/TapiLine.h"
#include "sessions/SessionState.h"
#include "sessions/store/RecordStore.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"

namespace {

const QString notFound = QStringLiteral("Error. Session not found: ");

} // namespace

void ConnectController::dialEntries(const QStringList &names)
{
    if (names.isEmpty())
        return;
    SessionState &state = parts_.state;
    TRecordStore &phonebook = parts_.phonebook;
    if (phonebook.exists(names.first())
        && !PhonebookEntry(phonebook.read(names.first())).get(PhoneField::fHost).isEmpty()) {
        // File-transfer entries start no connection.
        parts_.log.write(QStringLiteral("FTP entry not dialled: ") + names.first());
        return;
    }
    const QString current = state.currentSessionName();
    if (state.online() && !current.isEmpty()) {
        if (phonebook.exists(current)) {
            state.setCurrentEntry(PhonebookEntry(phonebook.read(current)), current);
            applyEntryProtocolOptions();
            parts_.prompt.warning(QStringLiteral(
                "You must terminate your current connect before changing the comport settings"));
        } else {
            parts_.prompt.information(notFound + current);
            parts_.log.write(notFound + current);
        }
        return;
    }
    DialQueue queue;
    queue.names = names;
    queue.active = true;
    if (names.size() > 1) {
        // Each entry is tried once per pass.
        queue.passesLeft = parts_.tapi.maxAttempts();
        savedTapiAttempts_ = parts_.tapi.maxAttempts();
        savedDialerTries_ = parts_.dialer.maxTries();
        parts_.tapi.setMaxAttempts(1);
        parts_.dialer.setMaxTries(1);
    }
    state.setDialQueue(queue);
    dialQueueEntry(0);
    parts_.view.setToolBarEnabled(true);
}

void ConnectController::DialNext()
{
    DialQueue queue = parts_.state.dialQueue();
    if (!queue.active)
        return;
    if (queue.index >= queue.names.size() - 1) {
        if (queue.passesLeft <= 0) {
            parts_.log.write(QStringLiteral("Dial queue ended"));
            clearQueueActive();
            return;
        }
        --queue.passesLeft;
        queue.index = 0;
    } else {
        ++queue.index;
    }
    parts_.state.setDialQueue(queue);
    parts_.state.setConnectionKind(ConnectionKind::ModemDial);
    dialQueueEntry(queue.index);
}

void ConnectController::dialQueueEntry(int index)
{
    SessionState &state = parts_.state;
    const QString name = state.dialQueue().names.value(index);
    if (!parts_.phonebook.exists(name)) {
        parts_.prompt.information(notFound + name);
        parts_.log.write(notFound + name);
        clearQueueActive();
        return;
    }
    state.setCurrentEntry(PhonebookEntry(parts_.phonebook.read(name)), name);
    DoDialer();
}

void ConnectController::clearQueueActive()
{
    DialQueue queue = parts_.state.dialQueue();
    if (!queue.active)
        return;
    queue.active = false;
    parts_.state.setDialQueue(queue);
    if (savedDialerTries_ > 0) {
        parts_.dialer.setMaxTries(savedDialerTries_);
        parts_.tapi.setMaxAttempts(savedTapiAttempts_);
        savedDialerTries_ = 0;
    }
}
