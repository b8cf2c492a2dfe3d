#pragma once

#include "comms/line/ComDevices.h"

#include <QString>

#include <functional>
#include <optional>

class DeviceList;
class HelpService;
class QuickConnectDialogs;
class SessionIcons;
class SessionState;
class SettingsStore;
class UserPrompt;

// What the entry dialogs use from the rest of the program. The dialogs of
// other subsystems (line device configuration, protocol options, script
// editor, icon picker) are reached through the callbacks.
struct EntryEditorServices {
    SessionState &state;
    const DeviceList &devices;
    QuickConnectDialogs &quickDialogs;
    SettingsStore &settings;
    UserPrompt &prompt;
    HelpService &help;
    const SessionIcons &icons;
    // The ComDevice<n> settings, for the device paths beside the ports.
    ComDevices::Override comDevices;
    // Whether the port is open.
    std::function<bool()> portOpen;
    // The "ShowHint" setting.
    std::function<bool()> showHints;
    // The script folder.
    std::function<QString()> scriptDir;
    // The icon picker over index and iconName; true on OK with both changed.
    std::function<bool(int &index, QString &iconName)> chooseIcon;
    // The configuration dialog of a telephony line device.
    std::function<void(const QString &lineDevice)> configureLineDevice;
    // Makes lineDevice the telephony device dialled through; empty clears it.
    std::function<void(const QString &lineDevice)> selectLineDevice;
    // Applies the current entry's protocol options, then lets the user edit
    // them into the entry.
    std::function<void()> editProtocolOptions;
    // The script editor over scriptFile (empty for a new script); the name it
    // saved under when closed with OK.
    std::function<std::optional<QString>(const QString &scriptFile)> editScript;
};
