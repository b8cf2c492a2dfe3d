#pragma once

#include "shell/settings/SettingsDocument.h"
#include "shell/settings/SettingsTable.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

#include <functional>
#include <optional>

class TLog;

// Where the two settings files live.
struct SettingsFolders {
    // Per user: $TARNEX_CONFIG_HOME (else $XDG_CONFIG_HOME, else ~/.config) + /Ornwick/Tarnex/7.0
    QString user;
    // Machine-wide: $TARNEX_SYSTEM_CONFIG (else /etc/xdg) + /Ornwick/Tarnex/7.0
    QString machine;

    static SettingsFolders fromEnvironment(
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
};

// The program's flat named settings. Every call reads or rewrites the file
// itself, so other instances' writes are never lost: a write takes the file's
// lock, reads it again, changes one value and replaces the file atomically.
// Reading logs a line; failures are logged and passed to the failure report
// (the window shows them as warnings; a script or an automation call decides
// for itself), and the default (or the old stored value) stays in effect.
class SettingsStore {
public:
    enum class Root { User, Machine };
    using FailureReport = std::function<void(const QString &text)>;

    SettingsStore(SettingsFolders folders, TLog &log, FailureReport report);

    // The machine root is used around single accesses to the administrator password.
    void setRoot(Root root) { m_root = root; }
    Root root() const { return m_root; }
    QString filePath() const;
    static QString fileName() { return QStringLiteral("settings.conf"); }

    QString ReadSettingString(const QString &section, const QString &name, const QString &def);
    qint32 ReadSettingInteger(const QString &section, const QString &name, qint32 def);
    bool ReadSettingBool(const QString &section, const QString &name, bool def);
    // At most the first 1024 bytes of the stored value; empty when absent.
    QByteArray ReadSettingBinary(const QString &section, const QString &name);

    void WriteSettingString(const QString &section, const QString &name, const QString &value);
    void WriteSettingInteger(const QString &section, const QString &name, qint32 value);
    void WriteSettingBool(const QString &section, const QString &name, bool value);
    // Binary writes also tell whether the value was stored (the administrator
    // password's caller words its own warning for a refused machine-wide write).
    bool WriteSettingBinary(const QString &section, const QString &name, const QByteArray &value);

    // The same through the settings table, with the empty section.
    QString read(const StringSetting &setting);
    QString read(const StringSetting &setting, const QString &def);
    qint32 read(const IntegerSetting &setting);
    qint32 read(const IntegerSetting &setting, qint32 def);
    bool read(const BooleanSetting &setting);
    QByteArray read(const BinarySetting &setting);
    // Empty when the file or the value is absent; nothing when the file is
    // there but cannot be read, or the value is not binary: for a value
    // whose absence opens something (the administrator password).
    std::optional<QByteArray> readIfReadable(const BinarySetting &setting);
    void write(const StringSetting &setting, const QString &value);
    void write(const IntegerSetting &setting, qint32 value);
    void write(const BooleanSetting &setting, bool value);
    bool write(const BinarySetting &setting, const QByteArray &value);

    static constexpr int maxBinaryRead = 1024;
    // A settings file past this is no settings file: it is not read.
    static constexpr qint64 maxFileBytes = 1024 * 1024;

    struct FileIdentity {
        qint64 inode, size, mtimeSec, mtimeNsec, ctimeSec, ctimeNsec;
        bool operator==(const FileIdentity &) const = default;
    };

private:
    struct Cache {
        QString path;
        FileIdentity identity;
        SettingsDocument doc;
        bool refused = false;
    };
    const SettingsDocument *currentDocument();

    template <typename T, typename Get>
    T readValue(const QString &what, const QString &failure, const QString &section, const QString &name,
        T def, Get get);
    template <typename Set>
    bool writeValue(const QString &failure, const QString &section, const QString &name, Set set);
    QString folder() const;
    void fail(const QString &text);

    SettingsFolders m_folders;
    TLog &m_log;
    FailureReport m_report;
    Root m_root = Root::User;
    std::optional<Cache> m_cache;
};
