#include "comms/keyboard/KeyEmu.h"

#include "comms/keyboard/KeyNames.h"

void KeyEmu::setMapFile(const QString &path)
{
    mapFile_ = path;
    if (enabled_)
        reload();
}

void KeyEmu::setEnabled(bool enabled)
{
    if (enabled && !enabled_)
        reload();
    enabled_ = enabled;
}

void KeyEmu::setEmulation(const QString &name)
{
    if (name == emulation_)
        return;
    emulation_ = name;
    cursorApplication_ = false;
    keypadApplication_ = false;
    vt52Mode_ = false;
    if (enabled_ && !map_.hasSection(tableName()))
        emit problem(QStringLiteral("Key map %1 has no table for %2").arg(mapFile_, name));
}

void KeyEmu::reload()
{
    map_ = KeyMap();
    if (mapFile_.isEmpty())
        return;
    QString error;
    QStringList warnings;
    if (!map_.load(mapFile_, &error, &warnings)) {
        emit problem(error);
        return;
    }
    for (const QString &warning : std::as_const(warnings))
        emit problem(QStringLiteral("Key map %1, %2 (ignored)").arg(mapFile_, warning));
    if (!emulation_.isEmpty() && !map_.hasSection(tableName()))
        emit problem(QStringLiteral("Key map %1 has no table for %2").arg(mapFile_, emulation_));
}

QString KeyEmu::tableName() const
{
    if (vt52Mode_ && emulation_.startsWith(QStringLiteral("VT"), Qt::CaseInsensitive)
        && map_.hasSection(QStringLiteral("VT52")))
        return QStringLiteral("VT52");
    if (!map_.hasSection(emulation_)) {
        const QString upper = emulation_.toUpper();
        if (upper == u"VT100" || upper == u"VT220")
            return emulation_ + u'N';
    }
    return emulation_;
}

std::optional<QByteArray> KeyEmu::translate(int qtKey, Qt::KeyboardModifiers modifiers) const
{
    if (!enabled_)
        return std::nullopt;
    const KeyName *key = KeyNames::fromQt(qtKey, modifiers);
    if (!key)
        return std::nullopt;
    if (KeyNames::isExtended(*key) ? !processExtended_ : !processAll_)
        return std::nullopt;
    const int column = keyModifierColumn(modifiers);
    if (column < 0)
        return std::nullopt;

    const QString table = tableName();
    const QString name = QLatin1StringView(key->name);
    const bool application = (key->group == KeyGroup::Cursor && cursorApplication_)
        || (key->group == KeyGroup::Keypad && keypadApplication_);
    // An application-mode line overrides the plain line column by column.
    for (const QString &line : {application ? name + QStringLiteral(".App") : QString(), name}) {
        if (line.isEmpty())
            continue;
        const KeySequences *sequences = map_.find(table, line);
        if (sequences && !(*sequences)[column].isNull())
            return (*sequences)[column];
    }
    return std::nullopt;
}
