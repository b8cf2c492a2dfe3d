#pragma once

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "extras/ui/QtAdminDialogs.h"
#include "sessions/ConnectController.h"
#include "sessions/SessionState.h"
#include "shell/TLog.h"
#include "shell/main/Mainform.h"
#include "shell/main/TermOptionsController.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/HelpViewer.h"
#include "shell/ui/QtPrompt.h"
#include "terminal/KeyboardSettings.h"
#include "terminal/ui/QtFontChooser.h"

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
    TLog &log() { return log_; }
    SettingsStore &settings() { return settings_; }
    HelpService &help() { return *help_; }
    // Tests record the help contexts asked for.
    void setHelp(HelpService *help) { help_ = help; }
    UserPrompt &prompt() { return *prompt_; }
    // Tests put a recording prompt in place of the dialogs.
    void setPrompt(UserPrompt *prompt) { prompt_ = prompt; }

    // Shows the window and runs the deferred start-up with the program's
    // parameters (without the program name) once it is shown.
    void start(const QStringList &arguments);
    // Closes the window the usual way but without a question: for a
    // session manager, a closed terminal or kill.
    void closeWithoutAsking();
    // Posts one of the window's messages (PostedMessage); it is handled
    // after the current handler returns, whatever the state then.
    void postMessage(uint number, int param);

signals:
    // The deferred start-up (the command line included) is done.
    void startupFinished();

protected:
    bool event(QEvent *event) override;

private:
    void handleMessage(uint number, int param);
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
    HelpViewer helpViewer_;
    HelpService *help_ = &helpViewer_;
    StatusLights lights_;
    ConnectController connect_;
    KeyboardSettings keyboard_;
    QtFontChooser fonts_;
    QtAdminDialogs adminDialogs_;
    TermOptionsController termOptions_;
    QTimer clock_;
    bool askBeforeClosing_ = true;
    QStringList arguments_;
};
