#pragma once

#include "sessions/store/RecordStore.h"

#include <QStringList>

#include <functional>

class Comport;
class DeviceList;
class TLog;
class UserPrompt;
class PortNaming;

// The "Comport Renameing" dialog; tests answer it from a script.
class PortRenameDialog {
public:
    virtual ~PortRenameDialog() = default;
    // Shows the ports' names and saves each edit through naming.
    virtual void renamePorts(PortNaming &naming) = 0;
};

// The user's names for the COM ports, kept in ComName.Dat in the phonebook
// folder, and the device list built from them. Renaming a port renames the
// device of every phonebook entry on that port.
class PortNaming {
public:
    struct Parts {
        TRecordStore &phonebook;
        DeviceList &devices;
        Comport &port;
        TLog &log;
        UserPrompt &prompt;
        // The administrator check in front of renaming.
        std::function<bool()> adminCheck;
        // The telephony line devices' names, listed before the ports.
        std::function<QStringList()> lineDevices;
    };

    static constexpr int maxNameLength = 20;

    PortNaming(Parts parts, const QString &phonebookDir);

    TRecordStore &names() { return names_; }
    // The stored name of a port without surrounding blanks; empty when none.
    QString storedName(int number);
    // Stores the port's new name (cut to 20 characters) or, when empty,
    // removes it; every phonebook entry on the port gets the name, or
    // "Direct to COM" + number, as its device.
    void rename(int number, const QString &name);

    // Builds the device list when it is empty and the port is closed.
    void Getdevices();
    // "Comport naming".
    void Comportnaming1Click(PortRenameDialog &dialog);

private:
    void storeName(int number, const QString &name);
    void renameDevices(int number, const QString &device);

    Parts parts_;
    TRecordStore names_;
};
