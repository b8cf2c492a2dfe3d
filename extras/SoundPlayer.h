#pragma once

#include <QString>

// The one wave player: play returns at once while the sound goes on.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &path) = 0;
    virtual void stop() = 0;
};
