#include "shell/main/ShellMenus.h"

#include "sessions/LoggingOptions.h"
#include "shell/DocumentLauncher.h"
#include "shell/HelpService.h"
#include "shell/main/Mainform.h"
#include "shell/main/StatusReport.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"
#include "shell/ui/AboutBox.h"
#include "shell/ui/StatusWindow.h"
#include "terminal/KeyboardSettings.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ShellMenus::ShellMenus(TMainform &window, LoggingOptions &logging, Comport &port, DocumentLauncher &launcher,
    KeyboardSource keyboard, QObject *parent)
    : QObject(parent)
    , window_(window)
    , logging_(logging)
    , port_(port)
    , launcher_(launcher)
    , keyboard_(std::move(keyboard))
{
    // A checkable entry that calls `apply` with its new state.
    const auto toggle = [this](const char *name, auto apply) {
        QAction *action = window_.entry(QString::fromLatin1(name));
        action->setEnabled(true);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, apply);
    };
    toggle("ApplicationLogging1", [this](bool on) { logging_.setApplicationLogging(on); });
    toggle("ProtocolLogging1", [this](bool on) { logging_.setProtocolLogging(on); });
    toggle("ComportLogging1", [this](bool on) { logging_.setComportLogging(on); });
    toggle("ShowComStat1", [this](bool on) { setShowComStat(on); });
    toggle("ShowHints1", [this](bool on) { setShowHints(on); });

    const auto action = [this](const char *name, auto run) {
        QAction *entry = window_.entry(QString::fromLatin1(name));
        entry->setEnabled(true);
        connect(entry, &QAction::triggered, this, run);
    };
    action("Status1", [this] { showStatus(); });
    action("About1", [this] { AboutBox(&window_).exec(); });
    action("Companywebsite1", [this] { launcher_.open(companySite()); });
}

void ShellMenus::load(SettingsStore &store)
{
    window_.entry(QStringLiteral("ApplicationLogging1"))->setChecked(logging_.applicationLogging());
    window_.entry(QStringLiteral("ProtocolLogging1"))->setChecked(logging_.protocolLogging());
    window_.entry(QStringLiteral("ComportLogging1"))->setChecked(logging_.comportLogging());
    setShowComStat(store.read(Setting::ShowComStat));
    setShowHints(store.read(Setting::ShowHint));
}

void ShellMenus::save(SettingsStore &store) const
{
    store.write(Setting::ShowComStat, window_.entry(QStringLiteral("ShowComStat1"))->isChecked());
    store.write(Setting::ShowHint, window_.entry(QStringLiteral("ShowHints1"))->isChecked());
}

void ShellMenus::setShowComStat(bool show)
{
    window_.entry(QStringLiteral("ShowComStat1"))->setChecked(show);
    window_.showStatusBar(show);
}

void ShellMenus::setShowHints(bool show)
{
    window_.entry(QStringLiteral("ShowHints1"))->setChecked(show);
    window_.ShowBHint(show);
}

void ShellMenus::showStatus()
{
    StatusWindow status(statusReport(port_, *window_.terminal(), keyboard_()), &window_);
    connect(&status, &StatusWindow::helpRequested, this,
        [this] { emit helpRequested(HelpService::statusWindow); });
    status.exec();
}

QUrl ShellMenus::companySite()
{
    const QString installed
        = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/tarnex/README.md");
    const QString readme = QFileInfo::exists(installed) ? installed : QStringLiteral(TARNEX_SOURCE_README);
    return QUrl::fromLocalFile(QDir::cleanPath(readme));
}
