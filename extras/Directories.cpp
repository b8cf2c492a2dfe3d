#include "extras/Directories.h"

#include "shell/ProgramDir.h"
#include "shell/settings/SettingsStore.h"

#include <QDir>

namespace {

// The stored folder, or programDir + fallbackName (created) when empty.
QString folder(
    SettingsStore &store, const StringSetting &setting, const QString &programDir, const QString &defaultName)
{
    const QString stored = store.read(setting);
    if (!stored.isEmpty())
        return ProgramDir::withSlash(stored);
    const QString path = programDir + defaultName;
    QDir().mkpath(path);
    return ProgramDir::withSlash(path);
}

QString existingOr(const QString &path, const QString &fallback)
{
    return QDir(path).exists() ? path : fallback;
}

} // namespace

Directories Directories::load(
    SettingsStore &store, const QString &programDir, const std::function<void(const QString &)> &inform)
{
    Directories dirs;
    dirs.upload = folder(store, Setting::Upload, programDir, QStringLiteral("Upload"));
    if (!QDir(dirs.upload).exists())
        inform(QStringLiteral("Your upload directory does not exist."));
    dirs.download
        = existingOr(folder(store, Setting::Download, programDir, QStringLiteral("Download")), programDir);
    dirs.scripts
        = existingOr(folder(store, Setting::ScriptDir, programDir, QStringLiteral("Scripts")), programDir);
    const QString phone = store.read(Setting::PhoneDir);
    dirs.phonebook = phone.isEmpty() ? programDir : existingOr(ProgramDir::withSlash(phone), programDir);
    dirs.sounds = existingOr(folder(store, Setting::SoundDir, programDir, QStringLiteral("sounds")),
        programDir + QStringLiteral("Sounds/"));
    return dirs;
}

void Directories::save(SettingsStore &store) const
{
    store.write(Setting::Upload, upload);
    store.write(Setting::Download, download);
    store.write(Setting::ScriptDir, scripts);
    store.write(Setting::PhoneDir, phonebook);
    store.write(Setting::SoundDir, sounds);
}
