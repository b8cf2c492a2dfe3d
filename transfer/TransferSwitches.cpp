#include "transfer/TransferSwitches.h"

#include "shell/settings/SettingsStore.h"

TransferSwitches TransferSwitches::load(SettingsStore &settings)
{
    TransferSwitches switches;
    switches.autoZmodem = settings.read(Setting::AutoZmodem);
    switches.launchApp = settings.read(Setting::LaunchApp);
    return switches;
}

void TransferSwitches::save(SettingsStore &settings) const
{
    settings.write(Setting::AutoZmodem, autoZmodem);
    settings.write(Setting::LaunchApp, launchApp);
}
