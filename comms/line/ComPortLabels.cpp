#include "comms/line/ComPortLabels.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

// Symbolic links (/dev/serial/by-id/...) name the same port as their target.
QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

ComPortLabels::ComPortLabels(const ComDevices::Override &override)
{
    for (int number = 1; number <= ComDevices::maxComNumber; ++number) {
        const QString custom = override ? override(number).trimmed() : QString();
        ports_.insert(
            number, {ComDevices::devicePath(number, [&custom](int) { return custom; }), !custom.isEmpty()});
    }
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        present_.insert(canonical(info.systemLocation()), info.description());
}

bool ComPortLabels::isPresent(int comNumber) const
{
    const Port found = port(comNumber);
    if (found.path.isEmpty())
        return false;
    return present_.contains(canonical(found.path)) || (found.overridden && QFileInfo::exists(found.path));
}

QString ComPortLabels::label(int comNumber, const QString &displayName) const
{
    const QString path = port(comNumber).path;
    if (path.isEmpty())
        return displayName;
    QString text = displayName + QStringLiteral(" - ") + path;
    const QString description = present_.value(canonical(path));
    if (!description.isEmpty())
        text += QStringLiteral(" - ") + description;
    return text;
}
