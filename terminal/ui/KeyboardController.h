#pragma once

#include "terminal/KeyboardSettings.h"
#include "terminal/ui/HotKeys.h"

#include <QObject>

#include <functional>

class Comport;
class MainView;
class QAction;
class QMenu;
class SessionState;
class SettingsStore;
class TLog;
class Terminal;

// Everything between a key press in the main window and the port: the
// keyboard emulator's set-up, carriage-return translation, local echo,
// keypad modes, the window's hot keys, copy and paste, and the terminal's
// context menu.
class KeyboardController : public QObject {
    Q_OBJECT
public:
    // The window's menu entries and menus by the names the program uses.
    struct Menus {
        std::function<QAction *(const QString &name)> entry;
        std::function<QMenu *(const QString &name)> menu;
    };
    static constexpr qsizetype pasteLimit = 65535;

    KeyboardController(Terminal &terminal, Comport &port, SessionState &state, SettingsStore &settings,
        TLog &log, MainView &view, const Menus &menus, QObject *parent = nullptr);

    // At start-up, once the terminal options are applied: the keyboard
    // options, the key map in programDir (the shipped one when there is
    // none yet), local echo and the emulator.
    void load(const QString &programDir);
    // At exit.
    void save();

    KeyboardSettings &settings() { return settings_; }
    // Hot keys other controllers add (macro keys, cancelling a transfer).
    HotKeys &hotKeys() { return hotKeys_; }

    void SetKeyEmulator();
    void setEcho(bool on);
    void Numeric1Click();
    void Application1Click();
    void KeyboardSetup1Click();
    void Copy1Click();
    void Paste1Click();
    void Clear1Click();

signals:
    // Each character typed at the terminal, before it is translated or sent:
    // what the script recorder captures.
    void typed(char character);
    // Alt+F4 was released: the window should close the usual way.
    void closeRequested();
    // The Keymap Editor's Help button.
    void helpRequested(int context);

private:
    bool typedChar(char character);
    void addHotKeys();
    void connectMenus();
    void showKeypadMode(bool application);
    void updatePaste();
    void popUpMenu(Qt::MouseButton button, const QPoint &position);

    Terminal &terminal_;
    Comport &port_;
    SessionState &state_;
    SettingsStore &store_;
    TLog &log_;
    MainView &view_;
    Menus menus_;
    HotKeys hotKeys_;
    KeyboardSettings settings_;
    bool altF4Down_ = false;
};
