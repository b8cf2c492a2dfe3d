#include "sessions/DeviceList.h"

#include "comms/line/ComDevices.h"
#include "sessions/PortNameRecord.h"
#include "sessions/store/RecordStore.h"
#include "shell/TLog.h"

#include <QHash>

namespace {

// The users' names of the ports; those read so far when the table cannot be
// read.
QHash<int, QString> storedNames(TRecordStore &portNames, TLog &log)
{
    QHash<int, QString> names;
    try {
        for (int number = 1; number <= ComDevices::maxComNumber; ++number) {
            const QString key = PortNameRecord::keyFor(number);
            if (portNames.exists(key))
                names.insert(number, portNames.read(key).value(PortNameRecord::fields().at(1).name));
        }
    } catch (const StoreError &error) {
        log.write(QStringLiteral("Port names unreadable: ") + error.message());
    }
    return names;
}

} // namespace

void DeviceList::Getdevices(TLog &log, const QStringList &lineDevices, TRecordStore &portNames, bool portOpen)
{
    if (!entries_.isEmpty() || portOpen)
        return;
    log.write(QStringLiteral("Start enumerating devices"));
    log.write(QStringLiteral("Device enumeration count = %1").arg(lineDevices.size()));
    QStringList kept;
    for (const QString &name : lineDevices) {
        if (!name.contains(QStringLiteral("Direct")))
            kept << name;
    }
    log.write(QStringLiteral("Added Devices to SL. SL.Count=%1").arg(kept.size()));
    log.write(QStringLiteral("Assigned SL to DeviceList. DeviceList.count=%1").arg(kept.size()));
    for (const QString &name : kept)
        entries_.append({name, 0});
    log.write(QStringLiteral("Objects Added. Device count = %1").arg(entries_.size()));
    const QHash<int, QString> names = storedNames(portNames, log);
    for (int number = 1; number <= ComDevices::maxComNumber; ++number) {
        // A blank stored name would leave the port nameless in every list.
        QString name = names.value(number);
        if (name.trimmed().isEmpty())
            name = QStringLiteral("Direct to COM%1").arg(number);
        entries_.append({name, number});
    }
    log.write(QStringLiteral("DeviceList complete."));
}

QString DeviceList::displayName(int number) const
{
    if (number < 1)
        return {};
    for (const DeviceEntry &entry : entries_) {
        if (entry.number == number)
            return entry.name;
    }
    return {};
}

QList<DeviceEntry> DeviceList::comPorts() const
{
    QList<DeviceEntry> ports;
    for (const DeviceEntry &entry : entries_) {
        if (entry.number != 0)
            ports << entry;
    }
    return ports;
}
