#pragma once

#include "extras/SoundPlayer.h"

#include <memory>

class QSoundEffect;
class TLog;

// Plays wave files (16-bit PCM) with Qt Multimedia. Without an audio output
// it plays nothing and says so once in the application log: the sound
// effect itself would report "playing" forever.
class QtSoundPlayer : public SoundPlayer {
public:
    explicit QtSoundPlayer(TLog &log);
    ~QtSoundPlayer() override;

    void play(const QString &path) override;
    void stop() override;

private:
    TLog &log_;
    std::unique_ptr<QSoundEffect> effect_;
    bool missingDeviceLogged_ = false;
};
