#pragma once

#include <QString>

#include <functional>

class SettingsStore;

// COM port numbers on this platform: COM1-32 are /dev/ttyS0-31, COM33-64
// /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31, unless a ComDevice<n> setting
// names another device, which the override answers (empty for none).
namespace ComDevices {

using Override = std::function<QString(int comNumber)>;

inline constexpr int maxComNumber = 96;

// The device path for a COM number, or empty when the number has none.
QString devicePath(int comNumber, const Override &override = {});

// The override that reads the ComDevice<n> settings.
Override fromSettings(SettingsStore &settings);

} // namespace ComDevices
