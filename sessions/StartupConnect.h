#pragma once

#include <QString>

class ConnectController;
class MainView;
class SessionState;
class TLog;
class TRecordStore;
struct StartupPlan;

// Carries out what the program's parameters ask for at start-up: the
// notices, then the connection steps in order (see StartupPlan::Step).
class StartupConnect {
public:
    StartupConnect(
        ConnectController &connect, SessionState &state, MainView &view, TRecordStore &phonebook, TLog &log);

    // autoStartSession: the configured auto-start entry (may be empty).
    void run(const StartupPlan &plan, const QString &autoStartSession);

private:
    bool dialEntry(const QString &name);
    bool connectTcp(const StartupPlan &plan);
    void connectHost(const StartupPlan &plan);

    ConnectController &connect_;
    SessionState &state_;
    MainView &view_;
    TRecordStore &phonebook_;
    TLog &log_;
};
