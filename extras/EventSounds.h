#pragma once

#include "extras/SoundPlayer.h"

#include <QString>

#include <array>

class SettingsStore;

// The wave files played when a connection is made or ends and when a file
// transfer completes or fails, each with its own switch.
class EventSounds {
public:
    enum Event { Connect, Disconnect, FileComplete, FileFailed };
    static constexpr int eventCount = 4;
    struct Sound {
        QString path;
        bool enabled = true;
    };
    // Stands for no sound in place of a path.
    static QString none() { return QStringLiteral("None"); }

    explicit EventSounds(SoundPlayer *player)
        : player_(player)
    { }
    void setPlayer(SoundPlayer *player) { player_ = player; }

    // Paths default to soundDir (ending in '/') + the shipped file names.
    void load(SettingsStore &store, const QString &soundDir);
    void save(SettingsStore &store) const;

    const Sound &sound(Event event) const { return sounds_[event]; }
    void setPath(Event event, const QString &path) { sounds_[event].path = path; }
    void setEnabled(Event event, bool on) { sounds_[event].enabled = on; }

    // Plays path if a file is there; otherwise nothing, silently.
    void PlayWave(const QString &path);
    void stop();

    // The hooks the session and transfer code call.
    void connected() { playIfOn(Connect); }
    void disconnected() { playIfOn(Disconnect); }
    void transferFinished(bool ok) { playIfOn(ok ? FileComplete : FileFailed); }

private:
    void playIfOn(Event event);

    SoundPlayer *player_;
    std::array<Sound, eventCount> sounds_;
};
