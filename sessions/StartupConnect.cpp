#include "sessions/StartupConnect.h"

#include "comms/line/HostResolver.h"
#include "sessions/ConnectController.h"
#include "sessions/SessionState.h"
#include "sessions/StartupCommand.h"
#include "sessions/store/RecordStore.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

StartupConnect::StartupConnect(
    ConnectController &connect, SessionState &state, MainView &view, TRecordStore &phonebook, TLog &log)
    : connect_(connect)
    , state_(state)
    , view_(view)
    , phonebook_(phonebook)
    , log_(log)
{ }

void StartupConnect::run(const StartupPlan &plan, const QString &autoStartSession)
{
    using Step = StartupPlan::Step;
    for (const QString &notice : plan.notices)
        view_.DisplayTerm(notice);
    for (const Step step : plan.steps) {
        switch (step) {
        case Step::ConnectHost:
            connectHost(plan);
            break;
        case Step::CannotConnect:
            connect_.Showcant();
            break;
        case Step::DialEntry:
            dialEntry(plan.entryName);
            break;
        case Step::OpenPort:
            if (!connect_.openDirect(plan.serialLine))
                return;
            break;
        case Step::ConnectTcp:
            if (!state_.online() && !connectTcp(plan))
                return;
            break;
        case Step::RunScript:
            connect_.runNamedScript(plan.scriptName);
            break;
        case Step::AutoStart:
            if (!autoStartSession.isEmpty())
                dialEntry(autoStartSession);
            break;
        }
    }
}

bool StartupConnect::dialEntry(const QString &name)
{
    if (!phonebook_.exists(name))
        return false;
    state_.setCurrentEntry(PhonebookEntry(phonebook_.read(name)), name);
    connect_.DoDialer();
    return true;
}

void StartupConnect::connectHost(const StartupPlan &plan)
{
    QString address = plan.host;
    if (plan.lookUpHost) {
        const std::optional<QString> found = connect_.Lookup(plan.host);
        if (!found)
            return;
        address = *found;
    }
    if (address == HostResolver::unresolved) {
        connect_.Showcant();
        return;
    }
    connect_.DoAttempt(address, plan.port);
}

bool StartupConnect::connectTcp(const StartupPlan &plan)
{
    const std::optional<QString> address = connect_.Lookup(plan.tcpLine.host);
    if (!address)
        return false;
    if (*address == HostResolver::unresolved) {
        view_.DisplayTerm(QStringLiteral("Cannot connect"));
        return false;
    }
    connect_.DoAttempt(*address, QString::number(plan.tcpLine.port));
    view_.setTerminalActive(true);
    return true;
}
