#pragma once

#include "comms/line/Comport.h"
#include "sessions/ConnectController.h"
#include "sessions/SessionState.h"
#include "shell/TLog.h"
#include "shell/main/Mainform.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/QtPrompt.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

struct StartupPlan;

// The long-lived parts, built once at start-up and handed to the
// controllers that need them, and the window over them.
class Application : public QObject {
    Q_OBJECT
public:
    explicit Application(QObject *parent = nullptr);

    TMainform &window() { return window_; }
    Comport &port() { return port_; }
    SessionState &state() { return state_; }
    UserPrompt &prompt() { return *prompt_; }
    // Tests put a recording prompt in place of the dialogs.
    void setPrompt(UserPrompt *prompt) { prompt_ = prompt; }

    // Shows the window and runs the deferred start-up with the program's
    // parameters (without the program name) once it is shown.
    void start(const QStringList &arguments);
    // Closes the window the usual way but without a question: for a
    // session manager, a closed terminal or kill.
    void closeWithoutAsking();

signals:
    // The deferred start-up (the command line included) is done.
    void startupFinished();

private:
    void runStartup(const QStringList &arguments);
    void carryOut(const StartupPlan &plan);
    bool closeQuery();
    void tickClock();

    TLog log_;
    SettingsStore settings_;
    Comport port_;
    SessionState state_;
    TMainform window_;
    QtPrompt qtPrompt_;
    UserPrompt *prompt_ = &qtPrompt_;
    ConnectController connect_;
    QTimer clock_;
    bool askBeforeClosing_ = true;
};
