#include "extras/AdminLock.h"

#include "extras/AdminDialogs.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"
#include "shell/settings/SettingsStore.h"

namespace {

// The password lives under the machine-wide root; every other setting is per user.
class MachineRoot {
public:
    explicit MachineRoot(SettingsStore &settings)
        : m_settings(settings)
    {
        m_settings.setRoot(SettingsStore::Root::Machine);
    }
    ~MachineRoot() { m_settings.setRoot(SettingsStore::Root::User); }
    MachineRoot(const MachineRoot &) = delete;
    MachineRoot &operator=(const MachineRoot &) = delete;

private:
    SettingsStore &m_settings;
};

} // namespace

AdminLock::AdminLock(SettingsStore &settings, UserPrompt &prompt, AdminDialogs &dialogs, TLog &log)
    : m_settings(settings)
    , m_prompt(prompt)
    , m_dialogs(dialogs)
    , m_log(log)
{
    LoadAdminPassword();
}

void AdminLock::LoadAdminPassword()
{
    std::optional<QByteArray> stored;
    {
        MachineRoot machine(m_settings);
        stored = m_settings.readIfReadable(Setting::AP);
    }
    // A settings file that is there but cannot be read may hold a password:
    // that locks as an unknown form does, it does not open.
    m_secret = stored ? AdminSecret::fromStored(*stored) : AdminSecret::unreadable();
    // A value this program cannot read may be a password it cannot check, so
    // it locks rather than opens: no typed text matches it, and only someone
    // who may edit the machine-wide settings can clear it.
    if (m_secret.state() == AdminSecret::State::Unreadable)
        m_log.write(QStringLiteral("Admin password AP is not in a known form; configuration stays locked"));
}

bool AdminLock::AdminCheck()
{
    if (m_secret.isEmpty())
        return true;
    if (m_secret.matches(m_dialogs.askAdminPassword()))
        return true;
    m_prompt.warning(QStringLiteral("You are not authorized to use this function."));
    return false;
}

bool AdminLock::acceptChange(const AdminPasswordFields &fields)
{
    if (!m_secret.matchesTrimmed(fields.oldPassword)) {
        m_prompt.warning(QStringLiteral("Incorrect Password"));
        return false;
    }
    if (fields.newPassword != fields.verifyPassword) {
        m_prompt.warning(QStringLiteral("New passwords do not match."));
        return false;
    }
    return true;
}

bool AdminLock::storeMachineWide(const QByteArray &value)
{
    MachineRoot machine(m_settings);
    return m_settings.write(Setting::AP, value);
}

void AdminLock::AdminPassword1Click()
{
    const auto fields
        = m_dialogs.askNewAdminPassword([this](const AdminPasswordFields &f) { return acceptChange(f); });
    if (!fields)
        return;
    // The new password applies for this run even when it cannot be stored.
    m_secret = AdminSecret::seal(fields->newPassword);
    if (!storeMachineWide(m_secret.stored()))
        m_prompt.warning(QStringLiteral("You must be logged in as administrator to change password"));
}
