#include "comms/telephony/LineDevices.h"

#include "shell/FileNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("LineDevices", text);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QString> sectionName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return std::nullopt;
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

// The key of a "key=value" line, empty for any other line.
QString keyOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
        return {};
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    return equals > 0 ? trimmed.left(equals).trimmed() : QString();
}

QString valueOf(const QString &line)
{
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

// The file's lines with the sections found in them.
struct IniLines {
    QStringList lines;

    // First line of the section's body and the line after its end; nothing
    // when there is no such section.
    std::optional<std::pair<qsizetype, qsizetype>> body(const QString &name) const
    {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto section = sectionName(lines[i]);
            if (!section || !sameName(*section, name))
                continue;
            qsizetype end = i + 1;
            while (end < lines.size() && !sectionName(lines[end]))
                ++end;
            return std::pair{i + 1, end};
        }
        return std::nullopt;
    }

    QStringList sections() const
    {
        QStringList names;
        for (const QString &line : lines)
            if (const auto section = sectionName(line);
                section && !names.contains(*section, Qt::CaseInsensitive))
                names << *section;
        return names;
    }

    QString value(const QString &section, const QString &key) const
    {
        if (const auto range = body(section))
            for (qsizetype i = range->first; i < range->second; ++i)
                if (sameName(keyOf(lines[i]), key))
                    return valueOf(lines[i]);
        return {};
    }

    bool hasKey(const QString &section, const QString &key) const
    {
        if (const auto range = body(section))
            for (qsizetype i = range->first; i < range->second; ++i)
                if (sameName(keyOf(lines[i]), key))
                    return true;
        return false;
    }

    // Replaces the key's line, appends it after the section's last entry, or
    // removes it when the value is empty.
    void set(const QString &section, const QString &key, const QString &value)
    {
        const auto range = body(section);
        if (!range)
            return;
        qsizetype insertAt = range->first;
        for (qsizetype i = range->first; i < range->second; ++i) {
            if (sameName(keyOf(lines[i]), key)) {
                if (value.isEmpty())
                    lines.removeAt(i);
                else
                    lines[i] = key + QLatin1Char('=') + value;
                return;
            }
            if (!lines[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (!value.isEmpty())
            lines.insert(insertAt, key + QLatin1Char('=') + value);
    }
};

std::optional<IniLines> readLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists())
        return IniLines{};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = tr("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QLatin1Char('\r'));
    IniLines ini;
    ini.lines = text.split(QLatin1Char('\n'));
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return ini;
}

LineDeviceEntry entryFrom(const IniLines &ini, const QString &name)
{
    LineDeviceEntry device;
    device.name = name;
    device.port = ini.value(name, QStringLiteral("Port"));
    device.init = ini.value(name, QStringLiteral("Init"));
    device.baud = ini.value(name, QStringLiteral("Baud")).toInt();
    return device;
}

} // namespace

LineDevices::LineDevices(const QString &homeFolder, ComDevices::Override override)
    : home_(homeFolder)
    , override_(std::move(override))
{ }

QString LineDevices::filePath() const
{
    return FileNames::lookup(home_, QString::fromLatin1(fileName));
}

QString LineDevices::devicePath(const QString &port) const
{
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    if (isNumber)
        return ComDevices::devicePath(number, override_);
    return port;
}

QList<LineDeviceEntry> LineDevices::devices(QStringList *problems) const
{
    const auto note = [problems](const QString &problem) {
        if (problems)
            *problems << problem;
    };
    const QString path = filePath();
    if (!QFileInfo::exists(path)) {
        note(tr("no LineDevices.ini in %1").arg(home_));
        return {};
    }
    QString error;
    const auto ini = readLines(path, &error);
    if (!ini) {
        note(error);
        return {};
    }
    QList<LineDeviceEntry> found;
    for (const QString &name : ini->sections()) {
        const LineDeviceEntry device = entryFrom(*ini, name);
        if (device.port.isEmpty()) {
            note(tr("line device %1 has no Port").arg(name));
            continue;
        }
        const QString devicePath = this->devicePath(device.port);
        if (devicePath.isEmpty()) {
            note(tr("line device %1: no such port %2").arg(name, device.port));
            continue;
        }
        if (!QFileInfo::exists(devicePath)) {
            note(tr("line device %1: port %2 does not exist").arg(name, devicePath));
            continue;
        }
        found << device;
    }
    return found;
}

std::optional<LineDeviceEntry> LineDevices::entry(const QString &name) const
{
    const auto ini = readLines(filePath(), nullptr);
    if (!ini)
        return std::nullopt;
    // The name as the file spells it.
    for (const QString &section : ini->sections())
        if (sameName(section, name))
            return entryFrom(*ini, section);
    return std::nullopt;
}

bool LineDevices::save(const QString &oldName, const LineDeviceEntry &device, QString *error) const
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QString name = device.name.trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
        return fail(tr("a line device needs a name without brackets"));
    QString readError;
    auto ini = readLines(filePath(), &readError);
    if (!ini)
        return fail(readError);
    if (!sameName(name, oldName) && ini->body(name))
        return fail(tr("a line device named %1 exists already").arg(name));
    const QString header = QLatin1Char('[') + name + QLatin1Char(']');
    if (const auto range = ini->body(oldName); range && !oldName.isEmpty()) {
        ini->lines[range->first - 1] = header;
    } else {
        if (!ini->lines.isEmpty() && !ini->lines.last().trimmed().isEmpty())
            ini->lines << QString();
        ini->lines << header;
    }
    ini->set(name, QStringLiteral("Port"), device.port.trimmed());
    ini->set(name, QStringLiteral("Init"), device.init);
    if (device.baud > 0 || ini->hasKey(name, QStringLiteral("Baud")))
        ini->set(name, QStringLiteral("Baud"), device.baud > 0 ? QString::number(device.baud) : QString());

    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly))
        return fail(tr("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    file.write((ini->lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!file.commit())
        return fail(tr("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return true;
}
