// The phonebook: "Sessions" from "&Connections" and the "#" button, and
// its entry dialogs over the other subsystems' dialogs.
#include "shell/main/Application.h"

#include "comms/ui/LineDeviceDialog.h"
#include "script/ui/Tscredit.h"
#include "sessions/ui/TPhone.h"

#include <QAction>
#include <QToolButton>

void Application::wirePhonebook(QuickConnectDialogs &quickDialogs, UserPrompt &prompt, HelpService &help)
{
    qtEntryEditors_ = std::make_unique<QtEntryEditors>(&window_,
        EntryEditorServices{state_, deviceList_, quickDialogs, settings_, prompt, help, icons_,
            ComDevices::fromSettings(settings_), [this] { return port_.isOpen(); },
            [this] { return window_.entry(QStringLiteral("ShowHints1"))->isChecked(); },
            [this] { return directories_.scripts; },
            [this](int &index, QString &iconName) { return iconPicker_.choose(index, iconName); },
            [this](const QString &lineDevice) { LineDeviceDialog::edit(&window_, programDir_, lineDevice); },
            [this](const QString &lineDevice) { tapi_.selectDevice(lineDevice); },
            [this] {
                protocolOptions_.ApplyEntryProtocolOptions();
                protocolOptions_.EditProtocolOptions();
            },
            [this](const QString &scriptFile) -> std::optional<QString> {
                Tscredit editor(
                    {script_, this->prompt(), this->help(), settings_, directories_.scripts}, &window_);
                if (!scriptFile.isEmpty())
                    editor.loadFile(scriptFile);
                if (editor.exec() != QDialog::Accepted || editor.currentFile().isEmpty())
                    return std::nullopt;
                return editor.currentFile();
            }});
    if (!entryEditors_)
        entryEditors_ = qtEntryEditors_.get();
    QAction *connections = window_.entry(QStringLiteral("Connections1"));
    connections->setEnabled(true);
    connect(connections, &QAction::triggered, this, &Application::PhoneBook1Click);
    QToolButton *dialButton = window_.button(QStringLiteral("btnDial"));
    dialButton->setEnabled(true);
    connect(dialButton, &QToolButton::clicked, this, &Application::PhoneBook1Click);
}

void Application::PhoneBook1Click()
{
    if (portNaming_)
        portNaming_->Getdevices();
    TPhone phonebook({phonebook_, state_, prompt(), help(), settings_, icons_, *entryEditors_,
                         [this] { return adminLock_->AdminCheck(); },
                         [this] { return window_.entry(QStringLiteral("ShowHints1"))->isChecked(); },
                         [this](int waitSeconds, int attempts) {
                             dialer_.setRetrySeconds(waitSeconds);
                             dialer_.setMaxTries(attempts);
                             tapi_.setRetryWait(waitSeconds);
                             tapi_.setMaxAttempts(attempts);
                         }},
        &window_);
    const int result = phonebook.exec();
    if (result == QDialog::Rejected)
        return;
    if (result == TPhone::dialResult)
        connect_->dialEntries(state_.dialQueue().names);
    window_.setToolBarEnabled(true);
    keyboard_.SetKeyEmulator();
}
