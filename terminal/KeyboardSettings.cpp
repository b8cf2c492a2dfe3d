#include "terminal/KeyboardSettings.h"

#include "comms/keyboard/KeyEmu.h"
#include "shell/settings/SettingsStore.h"

QString KeyboardSettings::normalisedType(const QString &stored)
{
    const QString type = stored.trimmed();
    if (type.isEmpty())
        return QStringLiteral("ANSI");
    if (type.compare(QLatin1String("VT100"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("VT100N");
    if (type.compare(QLatin1String("VT220"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("VT220N");
    return type;
}

KeyboardSettings KeyboardSettings::load(SettingsStore &store)
{
    KeyboardSettings settings;
    settings.emulationType = normalisedType(store.read(Setting::KeyEmu));
    settings.mapF = store.read(Setting::MapF);
    settings.addLf = store.read(Setting::Addlf);
    settings.addCr = store.read(Setting::AddCR);
    settings.echo = store.read(Setting::Echo);
    return settings;
}

void KeyboardSettings::save(SettingsStore &store, const KeyEmu &emulator) const
{
    store.write(Setting::KeyEmu, emulationType);
    store.write(Setting::Extended, emulator.processExtended());
    store.write(Setting::AllKeys, emulator.processAll());
    store.write(Setting::MapF, mapF);
    store.write(Setting::Addlf, addLf);
    store.write(Setting::AddCR, addCr);
    store.write(Setting::Echo, echo);
}
