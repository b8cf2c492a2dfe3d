#include "extras/EventSounds.h"

#include "shell/FileNames.h"
#include "shell/settings/SettingsStore.h"

#include <QFileInfo>

namespace {

struct EventSettings {
    const StringSetting &path;
    const char *defaultFile;
    const BooleanSetting &enabled;
};

const std::array<EventSettings, EventSounds::eventCount> &eventSettings()
{
    static const std::array<EventSettings, EventSounds::eventCount> table{{
        {Setting::OnConnectWav, Setting::defaultConnectWav, Setting::UseOnConnectWav},
        {Setting::OnDisConnectWav, Setting::defaultDisconnectWav, Setting::UseOnDisConnectWav},
        {Setting::OnFileComplete, Setting::defaultFileCompleteWav, Setting::UseOnFileCompleteWav},
        {Setting::OnFileFailed, Setting::defaultFileFailedWav, Setting::UseOnFileErrorWav},
    }};
    return table;
}

} // namespace

void EventSounds::load(SettingsStore &store, const QString &soundDir)
{
    for (int event = 0; event < eventCount; ++event) {
        const EventSettings &keys = eventSettings()[event];
        sounds_[event].path = store.read(keys.path, soundDir + QString::fromLatin1(keys.defaultFile));
        sounds_[event].enabled = store.read(keys.enabled);
    }
}

void EventSounds::save(SettingsStore &store) const
{
    for (int event = 0; event < eventCount; ++event) {
        const EventSettings &keys = eventSettings()[event];
        store.write(keys.path, sounds_[event].path);
        store.write(keys.enabled, sounds_[event].enabled);
    }
}

void EventSounds::PlayWave(const QString &path)
{
    if (path.isEmpty() || path == none())
        return;
    const QString file = FileNames::resolve(path);
    if (QFileInfo(file).isFile())
        player_->play(file);
}

void EventSounds::stop()
{
    player_->stop();
}

void EventSounds::playIfOn(Event event)
{
    if (sounds_[event].enabled)
        PlayWave(sounds_[event].path);
}
