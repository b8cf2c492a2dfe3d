// The script menu: the editor and the recorder.
#include "shell/main/Application.h"

#include "comms/ui/Terminal.h"
#include "script/ScriptFileText.h"
#include "script/ui/Tscredit.h"

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
    entry("NewEdit1", &Application::Edit1Click)->setEnabled(true);
    entry("Record1", &Application::Record1Click)->setEnabled(true);
    entry("HaltRecord1", &Application::HaltRecord1Click);
    connect(&keyboard_, &KeyboardController::typed, this, [this](char character) {
        recorder_.typed(character, [this] {
            const ScreenModel &screen = window_.terminal()->screen();
            return screen.lineText(screen.firstVisibleLine() + screen.cursorRow());
        });
    });
}

// Idle: the editor and the recorder can be started. Running scripts come
// with the interpreter; until then "&Run" and "&Stop" stay disabled.
void Application::setScriptMenu(bool recording)
{
    window_.entry(QStringLiteral("NewEdit1"))->setEnabled(!recording);
    window_.entry(QStringLiteral("Record1"))->setEnabled(!recording);
    window_.entry(QStringLiteral("HaltRecord1"))->setEnabled(recording);
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
    setScriptMenu(true);
    window_.setStatusPanel(QStringLiteral("Recording script"));
}

void Application::HaltRecord1Click()
{
    window_.setStatusPanel(QStringLiteral("Script record complete"));
    recorder_.halt();
    setScriptMenu(false);
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
