// The script menu's editor.
#include "shell/main/Application.h"

#include "script/ui/Tscredit.h"

#include <QAction>
#include <QFile>

void Application::wireScripts()
{
    QAction *edit = window_.entry(QStringLiteral("NewEdit1"));
    edit->setEnabled(true);
    connect(edit, &QAction::triggered, this, &Application::Edit1Click);
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
