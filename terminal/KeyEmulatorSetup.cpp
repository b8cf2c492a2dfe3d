#include "terminal/KeyEmulatorSetup.h"

#include "comms/keyboard/KeyEmu.h"
#include "shell/TLog.h"
#include "shell/settings/FlagText.h"
#include "shell/settings/SettingsStore.h"

void KeyEmulatorSetup::reinitialise(KeyEmu &emulator, SettingsStore &settings, TLog &log)
{
    emulator.setEnabled(false);
    emulator.setEnabled(true);
    emulator.setProcessExtended(false);
    emulator.setProcessAll(false);
    log.write(QStringLiteral("Setting keyboard emulator"));
    const bool extended = settings.read(Setting::Extended);
    emulator.setProcessExtended(extended);
    log.write(QStringLiteral("Extended keys: ") + FlagText::shown(extended));
    const bool all = settings.read(Setting::AllKeys);
    emulator.setProcessAll(all);
    // The all-keys line has always carried the extended-keys label.
    log.write(QStringLiteral("Extended keys: ") + FlagText::shown(all));
}

void KeyEmulatorSetup::SetKeyEmulator(KeyEmu &emulator, SettingsStore &settings, TLog &log, QString &type)
{
    reinitialise(emulator, settings, log);
    if (type.isEmpty())
        type = QStringLiteral("ANSI");
    emulator.setEmulation(type);
    log.write(QStringLiteral("EmulatorType=") + type);
}
