// The script menu: running, stopping, the editor and the recorder.
#include "shell/main/Application.h"

#include "comms/ui/Terminal.h"
#include "script/ScriptError.h"
#include "script/ScriptFileText.h"
#include "script/ui/TScrDialog.h"
#include "script/ui/Tscredit.h"
#include "shell/main/PostedMessage.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qsizetype entryScriptLength = 80;

} // namespace

void Application::wireScripts()
{
    const auto entry = [this](const char *name, void (Application::*handler)()) {
        QAction *action = window_.entry(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    entry("Run1", &Application::Run1Click)->setEnabled(true);
    entry("ScriptStop1", &Application::Stop1Click);
    entry("NewEdit1", &Application::Edit1Click)->setEnabled(true);
    entry("Record1", &Application::Record1Click)->setEnabled(true);
    entry("HaltRecord1", &Application::HaltRecord1Click);
    scriptLinks_ = std::make_unique<ScriptWindowLinks>(*window_.terminal(), *binarySend_,
        [this] { return window_.entry(QStringLiteral("Append1"))->isChecked(); });
    script_.setComPort(&port_);
    script_.setProtocol(&engine_);
    script_.setTerminal(scriptLinks_.get());
    script_.setFileSender(scriptLinks_.get());
    script_.setPrintPoster([this](int what) { postMessage(PostedMessage::MsgPrint, what); });
    script_.setLogSink([this](const QString &line) { log_.write(line); });
    connect(&script_, &TScript::OnScriptFinish, this, &Application::Scr1ScriptFinish);
    connect(&script_, &TScript::closeRequested, &window_, &QWidget::close);
    connect(&keyboard_, &KeyboardController::typed, this, [this](char character) {
        recorder_.typed(character, [this] {
            const ScreenModel &screen = window_.terminal()->screen();
            return screen.lineText(screen.firstVisibleLine() + screen.cursorRow());
        });
    });
}

// Idle, recording or running (busy and not recording).
void Application::setScriptMenu(bool recording, bool running)
{
    const bool idle = !recording && !running;
    window_.entry(QStringLiteral("Run1"))->setEnabled(idle);
    window_.entry(QStringLiteral("NewEdit1"))->setEnabled(idle);
    window_.entry(QStringLiteral("Record1"))->setEnabled(idle);
    window_.entry(QStringLiteral("ScriptStop1"))->setEnabled(running);
    window_.entry(QStringLiteral("HaltRecord1"))->setEnabled(recording);
}

// "&Run": the picker; a script it prepared starts.
void Application::Run1Click()
{
    TScrDialog picker({script_, *prompt_, *help_, settings_, [this] { return adminLock_->AdminCheck(); },
                          [this] { return state_.scriptRunning(); }},
        directories_.scripts, &window_);
    if (picker.exec() == QDialog::Accepted) {
        state_.setScriptRunning(true);
        window_.setStatusPanel(QStringLiteral("Running Script"));
        window_.setTerminalActive(true);
        StartTheScript();
    }
    directories_.scripts = picker.folder();
}

// The startup script of a connection, or one named on the command line
// (from the script folder).
void Application::StartScr(const QString &path)
{
    if (recorder_.recording())
        return;
    const QString file = path.isEmpty() || QFileInfo(path).isAbsolute() ? path : directories_.scripts + path;
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        log_.write(QStringLiteral("Script file not found"));
        return;
    }
    log_.write(QStringLiteral("Starting script: ") + file);
    script_.setScriptFile(file);
    try {
        script_.PrepareScript();
    } catch (const EScriptBadStatement &) {
        prompt_->warning(QStringLiteral("Error in line number %1 - %2   Script Aborting")
                             .arg(script_.ErrLineNum())
                             .arg(script_.ErrDesc()));
        return;
    } catch (const EScriptFileError &) {
        log_.write(QStringLiteral("Script file not found"));
        return;
    }
    StartTheScript();
    window_.setStatusPanel(QStringLiteral("Running Script"));
    state_.setScriptRunning(true);
}

void Application::StartTheScript()
{
    transfers_->removeAutoTrigger(QStringLiteral("Removing Auto Zmodem Trigger"));
    setScriptMenu(false, true);
    script_.StartScript();
}

void Application::Stop1Click()
{
    if (!state_.scriptRunning()) {
        prompt_->warning(QStringLiteral("No Script currently running"));
        return;
    }
    script_.CancelScript();
    window_.setStatusPanel(QStringLiteral("Script has been canceled"));
}

void Application::Scr1ScriptFinish()
{
    state_.setScriptRunning(false);
    window_.setStatusPanel(QStringLiteral("Script complete"));
    log_.write(QStringLiteral("Script complete"));
    setScriptMenu(false, false);
    if (protocolOptions_.switches().autoZmodem && port_.isOpen())
        transfers_->EnableZmodemAutoStart();
}

// "&New / Edit": the editor on the current entry's script when it has one.
void Application::Edit1Click()
{
    if (!adminLock_->AdminCheck())
        return;
    Tscredit editor({script_, prompt(), help(), settings_, directories_.scripts}, &window_);
    const QString entryScript = state_.currentEntry().get(PhoneField::Script);
    if (!entryScript.isEmpty() && QFile::exists(entryScript))
        editor.loadFile(entryScript);
    editor.exec();
}

void Application::Record1Click()
{
    recorder_.start();
    setScriptMenu(true, false);
    window_.setStatusPanel(QStringLiteral("Recording script"));
}

void Application::HaltRecord1Click()
{
    window_.setStatusPanel(QStringLiteral("Script record complete"));
    recorder_.halt();
    setScriptMenu(false, false);
    const bool dialled = state_.connectionKind() == ConnectionKind::ModemDial;
    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.caption = QStringLiteral("Save script file");
    request.folder = directories_.scripts
        + (dialled ? state_.currentEntry().get(PhoneField::Name) + QStringLiteral(".scr")
                   : QStringLiteral("Quick.Scr"));
    request.filter = QStringLiteral("Script Files (*.scr);;All Files (*)");
    const QStringList chosen = prompt_->chooseFiles(request);
    if (chosen.isEmpty()) {
        window_.setStatusPanel(QStringLiteral("Canceled script"));
        return;
    }
    QString path = chosen.first();
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".scr");
    recorder_.appendEnd();
    if (!ScriptFileText::write(path, recorder_.lines())) {
        prompt_->warning(QStringLiteral("Cannot write ") + path);
        return;
    }
    if (!dialled || !prompt_->askYesNo(QStringLiteral("Make this the default script for this entry?")))
        return;
    PhonebookEntry entry = state_.currentEntry();
    const QString name = entry.get(PhoneField::Name);
    entry.set(PhoneField::Script, path.left(entryScriptLength));
    state_.setCurrentEntry(entry, state_.currentSessionName());
    try {
        if (phonebook_.exists(name))
            phonebook_.update(name, entry);
    } catch (const StoreError &error) {
        log_.write(QStringLiteral("Phonebook not updated: ") + error.message());
    }
}
