#pragma once

#include <QString>

class KeyEmu;
class SettingsStore;

// The window's keyboard options: read at start-up, edited by the Terminal
// Settings dialog and the keyboard menu, written at exit. Whether the
// emulator processes extended or all keys is the emulator's own state.
struct KeyboardSettings {
    // "ANSI", "VT52", "VT100N", "VT100A", "TN3270", "VT220N" or "VT220A".
    QString emulationType = QStringLiteral("ANSI");
    bool mapF = true; // F1 to F9 press macro buttons
    bool addLf = false; // Enter sends CR LF
    bool addCr = false; // Enter sends LF CR
    bool echo = false; // local echo

    // A stored "VT100" reads as "VT100N", "VT220" as "VT220N", empty as "ANSI".
    static QString normalisedType(const QString &stored);
    static KeyboardSettings load(SettingsStore &store);
    // Also writes the emulator's extended and all-keys processing.
    void save(SettingsStore &store, const KeyEmu &emulator) const;
};
