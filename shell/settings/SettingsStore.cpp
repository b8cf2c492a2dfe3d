#include "shell/settings/SettingsStore.h"

#include "shell/TLog.h"
#include "shell/files/LockedUpdate.h"
#include "shell/settings/SettingsDocument.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

const QString keyPath = QStringLiteral("/Ornwick/Tarnex/7.0");
// How long a write waits for another instance's write to finish.

QString withKey(QString base)
{
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + keyPath;
}

} // namespace

SettingsFolders SettingsFolders::fromEnvironment(const QProcessEnvironment &env)
{
    QString user = env.value(QStringLiteral("TARNEX_CONFIG_HOME"));
    if (user.isEmpty())
        user = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (user.isEmpty())
        user = env.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.config");
    const QString machine = env.value(QStringLiteral("TARNEX_SYSTEM_CONFIG"), QStringLiteral("/etc/xdg"));
    return {withKey(user), withKey(machine)};
}

SettingsStore::SettingsStore(SettingsFolders folders, TLog &log, FailureReport report)
    : m_folders(std::move(folders))
    , m_log(log)
    , m_report(std::move(report))
{ }

QString SettingsStore::folder() const
{
    return m_root == Root::User ? m_folders.user : m_folders.machine;
}

QString SettingsStore::filePath() const
{
    return folder() + QLatin1Char('/') + fileName();
}

void SettingsStore::fail(const QString &text)
{
    m_log.write(text);
    if (m_report)
        m_report(text);
}

namespace {

// What tells one version of the file from another without reading it.
std::optional<SettingsStore::FileIdentity> identityOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return SettingsStore::FileIdentity{qint64(info.st_ino), qint64(info.st_size), qint64(info.st_mtim.tv_sec),
        qint64(info.st_mtim.tv_nsec), qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec)};
}

} // namespace

// The file parsed once per version: start-up reads many values.
const SettingsDocument *SettingsStore::currentDocument()
{
    const QString path = filePath();
    const auto identity = identityOf(path);
    if (!identity)
        return nullptr;
    if (m_cache && m_cache->path == path && m_cache->identity == *identity)
        return m_cache->refused ? nullptr : &m_cache->doc;
    m_cache.reset();
    if (identity->size > maxFileBytes) {
        m_cache = Cache{path, *identity, {}, true};
        fail(QStringLiteral("%1 is larger than %2 MB and was not read; its values are not used")
                 .arg(QDir::toNativeSeparators(path))
                 .arg(maxFileBytes / (1024 * 1024)));
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return nullptr;
    m_cache = Cache{path, *identity, SettingsDocument::parse(bytes), false};
    return &m_cache->doc;
}

template <typename T, typename Get>
T SettingsStore::readValue(
    const QString &what, const QString &failure, const QString &section, const QString &name, T def, Get get)
{
    const QString path = section + QLatin1Char('\\') + name;
    m_log.write(what + path);
    const SettingsDocument *current = currentDocument();
    if (!current)
        return def;
    const SettingsDocument &doc = *current;
    if (!doc.typeOf(name))
        return def;
    const auto value = get(doc);
    if (!value) {
        fail(failure + path);
        return def;
    }
    return *value;
}

QString SettingsStore::ReadSettingString(const QString &section, const QString &name, const QString &def)
{
    return readValue(QStringLiteral("Reading string:"), QStringLiteral("Failed on read string:"), section,
        name, def, [&](const SettingsDocument &doc) { return doc.string(name); });
}

qint32 SettingsStore::ReadSettingInteger(const QString &section, const QString &name, qint32 def)
{
    return readValue(QStringLiteral("Reading Integer:"), QStringLiteral("Failed on read integer:"), section,
        name, def, [&](const SettingsDocument &doc) { return doc.integer(name); });
}

bool SettingsStore::ReadSettingBool(const QString &section, const QString &name, bool def)
{
    return readValue(QStringLiteral("Reading Boolean:"), QStringLiteral("Failed on read boolean:"), section,
        name, def, [&](const SettingsDocument &doc) -> std::optional<bool> {
            const auto value = doc.integer(name);
            if (!value)
                return std::nullopt;
            return *value != 0;
        });
}

QByteArray SettingsStore::ReadSettingBinary(const QString &section, const QString &name)
{
    return readValue(QStringLiteral("Reading BinaryData:"), QStringLiteral("Failed on read binary data:"),
        section, name, QByteArray(), [&](const SettingsDocument &doc) -> std::optional<QByteArray> {
            auto value = doc.binary(name);
            if (value)
                value->truncate(maxBinaryRead);
            return value;
        });
}

template <typename Set>
bool SettingsStore::writeValue(const QString &failure, const QString &section, const QString &name, Set set)
{
    const QString path = filePath();
    bool readable = true;
    const LockedUpdate update = updateFileLocked(path, [&]() -> std::optional<QByteArray> {
        QFile current(path);
        QByteArray bytes;
        if (current.exists()) {
            readable = current.size() <= maxFileBytes && current.open(QIODevice::ReadOnly);
            bytes = current.readAll();
            readable = readable && current.error() == QFileDevice::NoError;
            if (!readable)
                return std::nullopt;
        } else {
            bytes = QByteArrayLiteral(
                "# Tarnex settings: Name=str:text, Name=int:number or Name=bin:hex bytes\n");
        }
        SettingsDocument doc = SettingsDocument::parse(bytes);
        set(doc);
        return doc.serialize();
    });
    if (update.ok() && readable)
        return true;
    fail(failure + section + QLatin1Char('\\') + name);
    return false;
}

void SettingsStore::WriteSettingString(const QString &section, const QString &name, const QString &value)
{
    writeValue(QStringLiteral("Failed on write string:"), section, name,
        [&](SettingsDocument &doc) { doc.setString(name, value); });
}

void SettingsStore::WriteSettingInteger(const QString &section, const QString &name, qint32 value)
{
    writeValue(QStringLiteral("Failed on write Integer:"), section, name,
        [&](SettingsDocument &doc) { doc.setInteger(name, value); });
}

void SettingsStore::WriteSettingBool(const QString &section, const QString &name, bool value)
{
    writeValue(QStringLiteral("Failed on write boolean:"), section, name,
        [&](SettingsDocument &doc) { doc.setInteger(name, value ? 1 : 0); });
}

bool SettingsStore::WriteSettingBinary(const QString &section, const QString &name, const QByteArray &value)
{
    return writeValue(QStringLiteral("Failed on write BinaryData:"), section, name,
        [&](SettingsDocument &doc) { doc.setBinary(name, value); });
}

QString SettingsStore::read(const StringSetting &setting)
{
    return read(setting, QString::fromUtf8(setting.def ? setting.def : ""));
}

QString SettingsStore::read(const StringSetting &setting, const QString &def)
{
    return ReadSettingString(QString(), QString::fromLatin1(setting.name), def);
}

qint32 SettingsStore::read(const IntegerSetting &setting)
{
    return read(setting, setting.def);
}

qint32 SettingsStore::read(const IntegerSetting &setting, qint32 def)
{
    return ReadSettingInteger(QString(), QString::fromLatin1(setting.name), def);
}

bool SettingsStore::read(const BooleanSetting &setting)
{
    return ReadSettingBool(QString(), QString::fromLatin1(setting.name), setting.def);
}

QByteArray SettingsStore::read(const BinarySetting &setting)
{
    return ReadSettingBinary(QString(), QString::fromLatin1(setting.name));
}

std::optional<QByteArray> SettingsStore::readIfReadable(const BinarySetting &setting)
{
    const QString name = QString::fromLatin1(setting.name);
    if (!identityOf(filePath()))
        return QByteArray();
    const SettingsDocument *current = currentDocument();
    if (!current) {
        fail(QStringLiteral("Failed on read binary data:\\") + name);
        return std::nullopt;
    }
    if (!current->typeOf(name))
        return QByteArray();
    const QByteArray value = ReadSettingBinary(QString(), name);
    if (!current->binary(name))
        return std::nullopt;
    return value;
}

void SettingsStore::write(const StringSetting &setting, const QString &value)
{
    WriteSettingString(QString(), QString::fromLatin1(setting.writeName()), value);
}

void SettingsStore::write(const IntegerSetting &setting, qint32 value)
{
    WriteSettingInteger(QString(), QString::fromLatin1(setting.writeName()), value);
}

void SettingsStore::write(const BooleanSetting &setting, bool value)
{
    WriteSettingBool(QString(), QString::fromLatin1(setting.writeName()), value);
}

bool SettingsStore::write(const BinarySetting &setting, const QByteArray &value)
{
    return WriteSettingBinary(QString(), QString::fromLatin1(setting.name), value);
}
