#include "extras/ui/QtSoundPlayer.h"

#include "shell/TLog.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer(TLog &log)
    : log_(log)
{ }

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString &path)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        if (!missingDeviceLogged_)
            log_.write(QStringLiteral("No sound device: sounds are not played"));
        missingDeviceLogged_ = true;
        return;
    }
    // Made at the first sound, so a run without sounds never loads the
    // multimedia back end.
    if (!effect_)
        effect_ = std::make_unique<QSoundEffect>();
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->play();
}

void QtSoundPlayer::stop()
{
    if (effect_)
        effect_->stop();
}
