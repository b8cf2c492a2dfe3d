#pragma once

#include <QString>

class KeyEmu;
class SettingsStore;
class TLog;

// Bringing the keyboard emulator in line with the settings, with its log lines.
namespace KeyEmulatorSetup {

// Rereads the key map and applies "Extended" and "AllKeys"; the emulation is left as it is.
void reinitialise(KeyEmu &emulator, SettingsStore &settings, TLog &log);
// reinitialise(), then the emulation type (empty becomes "ANSI", in place).
void SetKeyEmulator(KeyEmu &emulator, SettingsStore &settings, TLog &log, QString &type);

} // namespace KeyEmulatorSetup
