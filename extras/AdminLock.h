#pragma once

#include "extras/AdminSecret.h"

struct AdminPasswordFields;
class AdminDialogs;
class SettingsStore;
class TLog;
class UserPrompt;

// The administrator password that guards the configuration commands. It is
// kept machine-wide as value AP (see AdminSecret for its form), read once when
// the lock is made and changed only through "Set Admin Password".
class AdminLock {
public:
    AdminLock(SettingsStore &settings, UserPrompt &prompt, AdminDialogs &dialogs, TLog &log);

    // Whether the user may go on: asks for the password every time one is set.
    bool AdminCheck();
    // The "Admin Password" menu item.
    void AdminPassword1Click();

    bool isLocked() const { return !m_secret.isEmpty(); }

private:
    void LoadAdminPassword();
    bool acceptChange(const AdminPasswordFields &fields);
    bool storeMachineWide(const QByteArray &value);

    SettingsStore &m_settings;
    UserPrompt &m_prompt;
    AdminDialogs &m_dialogs;
    TLog &m_log;
    AdminSecret m_secret;
};
