#pragma once

#include <QString>

#include <functional>

class SettingsStore;

// The working folders, each ending in '/': read at start-up (an empty
// setting gives a folder in the program folder, created if missing), saved
// at exit.
struct Directories {
    QString upload;
    QString download;
    QString scripts;
    QString phonebook;
    QString sounds;

    // inform shows "Your upload directory does not exist." when the upload
    // folder cannot be had; the others fall back to the program folder
    // (sounds to its "Sounds" folder).
    static Directories load(
        SettingsStore &store, const QString &programDir, const std::function<void(const QString &)> &inform);
    void save(SettingsStore &store) const;
};
