#pragma once

#include "comms/keyboard/KeyMap.h"

#include <QObject>
#include <optional>

// The keyboard emulator: turns special keys into the sequences the emulated terminal sends, from the
// table of the current emulation in the key map file.
//
// Disabled, it translates nothing. Enabling it (re)reads the map file. Extended keys (cursor block,
// editing keys, function keys, keypad) are translated while process-extended is on; ordinary keys only
// while process-all is on. The host's cursor-key and keypad modes select a key's ".App" line.
class KeyEmu : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void setMapFile(const QString &path);
    QString mapFile() const { return mapFile_; }

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    // One of "ANSI", "VT52", "VT100N", "VT100A", "TN3270", "VT220N", "VT220A" (or any section of the
    // file); "VT100" and "VT220" fall back to their numeric-keypad tables. Setting the current name
    // again does nothing.
    void setEmulation(const QString &name);
    QString emulation() const { return emulation_; }

    void setProcessExtended(bool on) { processExtended_ = on; }
    bool processExtended() const { return processExtended_; }
    void setProcessAll(bool on) { processAll_ = on; }
    bool processAll() const { return processAll_; }

    // Modes the host sets (DECCKM, DECKPAM/DECKPNM); reset when the emulation changes.
    void setCursorKeysApplication(bool on) { cursorApplication_ = on; }
    void setKeypadApplication(bool on) { keypadApplication_ = on; }
    // A VT100 or VT220 the host has put in VT52 mode sends the keys of the "VT52" table.
    void setVt52Mode(bool on) { vt52Mode_ = on; }

    // The bytes to send for a key, or nothing when the emulator leaves the key to the terminal.
    std::optional<QByteArray> translate(int qtKey, Qt::KeyboardModifiers modifiers) const;

    const KeyMap &keyMap() const { return map_; }

signals:
    // The map file could not be read, or has lines that were ignored, or lacks the emulation's table.
    void problem(const QString &message);

private:
    void reload();
    QString tableName() const;

    QString mapFile_;
    QString emulation_;
    KeyMap map_;
    bool enabled_ = false;
    bool processExtended_ = false;
    bool processAll_ = false;
    bool cursorApplication_ = false;
    bool keypadApplication_ = false;
    bool vt52Mode_ = false;
};
