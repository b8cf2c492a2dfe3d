#pragma once

class SettingsStore;

// The main window's two transfer switches, edited with the protocol options:
// arm the automatic Zmodem download, and open a received file with its
// associated program when a transfer ends.
struct TransferSwitches {
    bool autoZmodem = true;
    bool launchApp = false;

    static TransferSwitches load(SettingsStore &settings);
    void save(SettingsStore &settings) const;
};
