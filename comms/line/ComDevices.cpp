#include "comms/line/ComDevices.h"

#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"

namespace ComDevices {

QString devicePath(int comNumber, const Override &override)
{
    if (override) {
        const QString path = override(comNumber).trimmed();
        if (!path.isEmpty())
            return path;
    }
    if (comNumber < 1 || comNumber > maxComNumber)
        return {};
    static const char *const families[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
    const int index = comNumber - 1;
    return QString::fromLatin1(families[index / 32]) + QString::number(index % 32);
}

Override fromSettings(SettingsStore &settings)
{
    return [&settings](int comNumber) {
        return settings.ReadSettingString(
            QString(), QLatin1String(Setting::comDevicePrefix) + QString::number(comNumber), QString());
    };
}

} // namespace ComDevices
