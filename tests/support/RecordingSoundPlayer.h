#pragma once

#include "extras/SoundPlayer.h"

#include <QStringList>

// The files played, in order, and how often the player was stopped.
class RecordingSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    int stops = 0;
    void play(const QString &path) override { played << path; }
    void stop() override { ++stops; }
};
