#include "shell/main/Application.h"

#include "comms/ui/Terminal.h"
#include "extras/AdminLock.h"
#include "sessions/StartupCommand.h"
#include "shell/main/PostedMessage.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>

Application::Application(QObject *parent)
    : QObject(parent)
    , log_(QString())
    , settings_(
          SettingsFolders::fromEnvironment(), log_, [this](const QString &text) { prompt_->warning(text); })
    , qtPrompt_(&window_)
    , helpViewer_(&window_)
    , lights_(&port_)
    , connect_(port_, state_, window_, lights_, log_)
    , adminDialogs_(&window_)
    , termOptions_(window_, settings_, log_, *help_, keyboard_, fonts_,
          [this] { return AdminLock(settings_, *prompt_, adminDialogs_, log_).AdminCheck(); })
{
    connect(&lights_, &StatusLights::changed, &window_, [this](const StatusLights::State &lit) {
        window_.showLights(lit.dcd, lit.cts, lit.dsr, lit.rxd, lit.txd);
    });
    Terminal *terminal = window_.terminal();
    connect(&connect_, &ConnectController::received, terminal, &Terminal::receive);
    connect(
        terminal, &Terminal::sendBytes, &port_, [this](const QByteArray &bytes) { port_.putBlock(bytes); });
    QAction *hangup = window_.entry(QStringLiteral("Hangup1"));
    hangup->setEnabled(true);
    connect(hangup, &QAction::triggered, &connect_, &ConnectController::Hangup1Click);
    QToolButton *hangButton = window_.button(QStringLiteral("btnHang"));
    hangButton->setEnabled(true);
    connect(hangButton, &QToolButton::clicked, &connect_, &ConnectController::Hangup1Click);
    QAction *helpEntry = window_.entry(QStringLiteral("Help1"));
    helpEntry->setEnabled(true);
    connect(helpEntry, &QAction::triggered, this, [this] { help_->showHelp(HelpService::contents); });
    window_.setCloseQuery([this] { return closeQuery(); });
    clock_.setInterval(1000);
    connect(&clock_, &QTimer::timeout, this, &Application::tickClock);
    clock_.start();
    // Start-up: the terminal options (the keyboard options and SetKeyEmulator join here).
    termOptions_.GetTermFOnt();
    termOptions_.SizeWindowToTerminal();
}

// The time since the connection came up, while online; offline the clock
// keeps its last value.
void Application::tickClock()
{
    if (!state_.online())
        return;
    const qint64 seconds = qMax<qint64>(0, state_.connectStart().secsTo(QDateTime::currentDateTime()));
    window_.setClock(QStringLiteral("%1:%2:%3")
                         .arg(seconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                         .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void Application::start(const QStringList &arguments)
{
    arguments_ = arguments;
    window_.show();
    // The deferred start-up runs once the window is shown.
    postMessage(PostedMessage::MsgStartup, 0);
}

void Application::postMessage(uint number, int param)
{
    QCoreApplication::postEvent(this, new PostedMessageEvent(number, param));
}

bool Application::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return QObject::event(event);
    const auto *message = static_cast<PostedMessageEvent *>(event);
    handleMessage(message->number(), message->param());
    return true;
}

void Application::handleMessage(uint number, int param)
{
    switch (number) {
    case PostedMessage::MsgHangup:
        connect_.Hangup1Click();
        break;
    case PostedMessage::MsgStartup:
        runStartup(arguments_);
        break;
    case PostedMessage::MsgClose:
        window_.close();
        break;
    default:
        // The dialler, the command line, printing and transfers are not in
        // the program yet.
        log_.write(QStringLiteral("Message %1 (%2) not handled yet").arg(number).arg(param));
        break;
    }
}

void Application::closeWithoutAsking()
{
    askBeforeClosing_ = false;
    window_.close();
}

void Application::runStartup(const QStringList &arguments)
{
    log_.write(QStringLiteral("Entering startup code"));
    carryOut(StartupCommand::interpret(arguments));
    emit startupFinished();
}

void Application::carryOut(const StartupPlan &plan)
{
    for (const QString &notice : plan.notices)
        window_.DisplayTerm(notice);
    for (const StartupPlan::Step step : plan.steps) {
        switch (step) {
        case StartupPlan::Step::ConnectHost:
            connect_.DoAttempt(plan.host, plan.port);
            break;
        case StartupPlan::Step::CannotConnect:
            prompt_->warning(QStringLiteral("Cannot connect"));
            break;
        case StartupPlan::Step::OpenPort:
            if (!connect_.openDirect(plan.serialLine))
                return;
            break;
        case StartupPlan::Step::ConnectTcp:
            if (!state_.online())
                connect_.DoAttempt(plan.tcpLine.host, QString::number(plan.tcpLine.port));
            break;
        case StartupPlan::Step::DialEntry:
        case StartupPlan::Step::RunScript:
        case StartupPlan::Step::AutoStart:
            // The phonebook dialler and the script engine are not in the program yet.
            log_.write(QStringLiteral("Start-up step not available yet: %1").arg(int(step)));
            break;
        }
    }
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
        connect_.Hangup1Click();
    state_.setExiting(true);
    log_.write(QStringLiteral("Closing application"));
    // Exit: the settings kept for the whole run are written.
    termOptions_.SaveTermFont();
    return true;
}
