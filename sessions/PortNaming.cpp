#include "sessions/PortNaming.h"

#include "comms/line/Comport.h"
#include "sessions/DeviceList.h"
#include "sessions/PhonebookEntry.h"
#include "sessions/PortNameRecord.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"

PortNaming::PortNaming(Parts parts, const QString &phonebookDir)
    : parts_(std::move(parts))
    , names_(
          phonebookDir + QStringLiteral("ComName.Dat"), PortNameRecord::fields(), PortNameRecord::keyField())
{ }

QString PortNaming::storedName(int number)
{
    const QString key = PortNameRecord::keyFor(number);
    try {
        if (names_.exists(key))
            return names_.read(key).value(1).trimmed();
    } catch (const StoreError &error) {
        parts_.log.write(QStringLiteral("Port names unreadable: ") + error.message());
    }
    return {};
}

void PortNaming::rename(int number, const QString &name)
{
    // Blanks alone would make an invisible name.
    const QString newName = name.trimmed().left(maxNameLength);
    try {
        storeName(number, newName);
        renameDevices(number, newName.isEmpty() ? QStringLiteral("Direct to COM%1").arg(number) : newName);
    } catch (const StoreError &error) {
        parts_.log.write(QStringLiteral("Renaming COM%1 failed: ").arg(number) + error.message());
        parts_.prompt.warning(error.message());
    }
}

void PortNaming::storeName(int number, const QString &name)
{
    const QString key = PortNameRecord::keyFor(number);
    if (name.isEmpty()) {
        if (names_.exists(key))
            names_.remove(key);
    } else if (names_.exists(key)) {
        names_.update(key, PortNameRecord::make(number, name));
    } else {
        names_.add(PortNameRecord::make(number, name));
    }
}

void PortNaming::renameDevices(int number, const QString &device)
{
    TRecordStore &phonebook = parts_.phonebook;
    for (const QString &name : phonebook.names()) {
        PhonebookEntry entry(phonebook.read(name));
        bool numeric = false;
        if (entry.get(PhoneField::Port).trimmed().toInt(&numeric) != number || !numeric)
            continue;
        entry.set(PhoneField::Device, device);
        phonebook.update(name, entry);
    }
}

void PortNaming::Getdevices()
{
    parts_.devices.Getdevices(parts_.log, parts_.lineDevices(), names_, parts_.port.isOpen());
}

void PortNaming::Comportnaming1Click(PortRenameDialog &dialog)
{
    if (!parts_.adminCheck())
        return;
    if (parts_.port.isOpen()) {
        parts_.prompt.warning(QStringLiteral("Disconnect before setting comport names."));
        return;
    }
    dialog.renamePorts(*this);
    parts_.devices.clear();
    Getdevices();
}
