#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

class DocumentLauncher;
class LoggingOptions;
class SettingsStore;
class TMainform;
struct KeyboardSettings;
class Comport;

// The window's logging, hint and status-bar switches, the status window and
// the help menu's about box and web page.
class ShellMenus : public QObject {
    Q_OBJECT
public:
    // The keyboard options shown in the status window, as the window has them now.
    using KeyboardSource = std::function<KeyboardSettings()>;

    ShellMenus(TMainform &window, LoggingOptions &logging, Comport &port, DocumentLauncher &launcher,
        KeyboardSource keyboard, QObject *parent = nullptr);

    // Shows the logging switches (loaded already) and reads ShowComStat and SHowHint.
    void load(SettingsStore &store);
    // Writes ShowComStat and SHowHint.
    void save(SettingsStore &store) const;

    void setShowComStat(bool show);
    void setShowHints(bool show);

    // "&Company web site": there is no maker's site, so the program's own
    // README, installed beside it or in the source tree of a build.
    static QUrl companySite();

signals:
    // A dialog's Help button: the page of a help context.
    void helpRequested(int context);

private:
    void showStatus();

    TMainform &window_;
    LoggingOptions &logging_;
    Comport &port_;
    DocumentLauncher &launcher_;
    KeyboardSource keyboard_;
};
