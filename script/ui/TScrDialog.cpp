#include "script/ui/TScrDialog.h"

#include "script/ScriptError.h"
#include "script/TCustomScript.h"
#include "script/ui/Tscredit.h"
#include "shell/HelpService.h"
#include "shell/UserPrompt.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"
#include "shell/ui/FolderBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TScrDialog::TScrDialog(Services services, const QString &scriptDir, QWidget *parent)
    : QDialog(parent)
    , services_(std::move(services))
{
    setObjectName(QStringLiteral("ScrDialog"));
    setWindowTitle(QStringLiteral("Execute Script"));
    browser_ = new FolderBrowser(this);
    extension_ = new QLineEdit(services_.settings.read(Setting::DefExt), this);
    extension_->setObjectName(QStringLiteral("Ext"));
    browser_->setMask(extension_->text());
    connect(extension_, &QLineEdit::textChanged, browser_, &FolderBrowser::setMask);
    connect(browser_->files(), &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { fileEdit_->setText(browser_->folder() + item->text()); });

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("Edit1"));
    fileEdit_->installEventFilter(this);
    auto *edit = new QPushButton(QStringLiteral("Edit script"), this);
    edit->setObjectName(QStringLiteral("SpeedButton2"));
    auto *check = new QPushButton(QStringLiteral("Check"), this);
    check->setObjectName(QStringLiteral("SpeedButton3"));
    for (QPushButton *button : {edit, check})
        button->setAutoDefault(false);
    connect(edit, &QPushButton::clicked, this, &TScrDialog::EditScript);
    connect(check, &QPushButton::clicked, this, &TScrDialog::Check);

    auto *chosen = new QGroupBox(QStringLiteral("Choose a script file to execute."), this);
    auto *chosenLayout = new QHBoxLayout(chosen);
    chosenLayout->addWidget(fileEdit_, 1);
    chosenLayout->addWidget(edit);
    chosenLayout->addWidget(check);

    auto *extensionLabel = new QLabel(QStringLiteral("Default Extension"), this);
    extensionLabel->setBuddy(extension_);
    auto *browser = new QGridLayout;
    browser->addWidget(browser_->drives(), 0, 0);
    browser->addWidget(extensionLabel, 0, 1, Qt::AlignRight);
    browser->addWidget(extension_, 0, 2);
    browser->addWidget(browser_->folders(), 1, 0);
    browser->addWidget(browser_->files(), 1, 1, 1, 2);
    browser->setColumnStretch(0, 1);
    browser->setColumnStretch(1, 1);

    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("help"));
    help->setAutoDefault(false);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(help, &QPushButton::clicked, this, [this] { services_.help.showHelp(helpContext); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &TScrDialog::okClicked);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(help);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(browser, 1);
    layout->addWidget(chosen);
    layout->addLayout(buttons);
    resize(620, 420);
    browser_->showFolder(QFileInfo(scriptDir).isDir() ? scriptDir : QDir::currentPath());
}

TScrDialog::~TScrDialog()
{
    services_.settings.write(Setting::DefExt, extension_->text());
}

QString TScrDialog::folder() const
{
    return browser_->folder();
}

void TScrDialog::showEvent(QShowEvent *event)
{
    fileEdit_->clear();
    QDialog::showEvent(event);
}

// Enter in the file name does not close the dialog.
bool TScrDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == fileEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TScrDialog::prepare(const QString &file)
{
    TCustomScript &script = services_.script;
    script.setScriptFile(file);
    try {
        script.PrepareScript();
    } catch (const EScriptBadStatement &) {
        services_.prompt.warning(QStringLiteral("Error in line number %1 - %2   Script Aborting")
                                     .arg(script.ErrLineNum())
                                     .arg(script.ErrDesc()));
        return false;
    } catch (const EScriptFileError &) {
        services_.prompt.warning(QStringLiteral("Script does not exist"));
        return false;
    }
    return true;
}

void TScrDialog::okClicked()
{
    const QString file = fileEdit_->text();
    if (file.isEmpty()) {
        services_.prompt.information(QStringLiteral("No script to run"));
        reject();
        return;
    }
    if (!QFileInfo::exists(file)) {
        services_.prompt.warning(QStringLiteral("Script does not exist"));
        reject();
        return;
    }
    if (services_.scriptRunning()) {
        services_.prompt.information(QStringLiteral("Wait until current script finishes executing"));
        return;
    }
    if (prepare(file))
        accept();
}

void TScrDialog::Check()
{
    const QString file = fileEdit_->text();
    if (file.isEmpty()) {
        services_.prompt.warning(QStringLiteral("No script to check"));
        return;
    }
    if (services_.scriptRunning()) {
        services_.prompt.information(QStringLiteral("Wait until current script finishes executing"));
        return;
    }
    if (!QFileInfo::exists(file)) {
        services_.prompt.warning(QStringLiteral("Script does not exist"));
        return;
    }
    if (prepare(file))
        services_.prompt.information(QStringLiteral("Script is OK to use."));
}

void TScrDialog::EditScript()
{
    if (!services_.adminCheck())
        return;
    const QString file = fileEdit_->text();
    if (file.isEmpty()) {
        services_.prompt.warning(QStringLiteral("No script file to edit"));
        return;
    }
    if (!QFileInfo::exists(file)) {
        services_.prompt.warning(QStringLiteral("Script does not exist"));
        return;
    }
    Tscredit editor(
        {services_.script, services_.prompt, services_.help, services_.settings, browser_->folder()}, this);
    editor.loadFile(file);
    editor.exec();
}
