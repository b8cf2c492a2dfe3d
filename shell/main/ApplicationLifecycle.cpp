// The deferred start-up and the close, in their fixed order.
#include "shell/main/Application.h"

#include "comms/ui/Terminal.h"
#include "sessions/StartupCommand.h"
#include "sessions/StartupConnect.h"
#include "shell/main/PostedMessage.h"

#include <QToolButton>

void Application::start(const QStringList &arguments)
{
    arguments_ = arguments;
    create();
    window_.show();
    // The deferred start-up runs once the window is shown.
    postMessage(PostedMessage::MsgStartup, 0);
}

void Application::runStartup(const QStringList &arguments)
{
    window_.Setcaptions(window_.terminal()->doorway());
    log_.write(QStringLiteral("Entering startup code"));
    // The macro bar is shown here by the macro controller. The window is
    // shown now, so its frame counts in the sizing.
    termOptions_.SizeWindowToTerminal();
    portNaming_->Getdevices();
    StartupConnect starter(*connect_, state_, window_, phonebook_, log_);
    starter.run(StartupCommand::interpret(arguments), settings_.read(Setting::AutoStartSession));
    emit startupFinished();
}

void Application::exitClicked()
{
    log_.write(QStringLiteral("Exit button"));
    state_.setExiting(true);
    window_.button(QStringLiteral("ExitBtn"))->setEnabled(false);
    if (script_.running())
        script_.CancelScript();
    window_.close();
}

void Application::closeWithoutAsking()
{
    askBeforeClosing_ = false;
    window_.close();
}

bool Application::closeQuery()
{
    log_.write(QStringLiteral("CloseQuery"));
    if (askBeforeClosing_ && state_.online() && termOptions_.options().confirmHangup
        && !prompt_->confirm(QStringLiteral("You are online! Are you sure you want to exit?"))) {
        window_.button(QStringLiteral("ExitBtn"))->setEnabled(true);
        return false;
    }
    if (port_.isOpen())
        connect_->Hangup1Click();
    state_.setExiting(true);
    window_.setWindowTitle(QStringLiteral("Exiting.."));
    log_.write(QStringLiteral("Closing application"));
    // The macro captions and commands are saved here by the macro controller.
    log_.write(QStringLiteral("Macros saved"));
    return true;
}

// After the close was allowed: the settings are saved once, whichever way
// the program is left.
void Application::closeForm()
{
    if (closed_)
        return;
    closed_ = true;
    log_.write(QStringLiteral("Closing Form"));
    saveFlatSettings();
    // The command-line interpreter and the trigger list are released here
    // by their controllers.
    log_.write(QStringLiteral("Form Closed"));
}
