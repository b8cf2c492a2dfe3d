#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TLog;
class TRecordStore;

// One line device the user chooses from: a telephony line device (number 0)
// or a COM port (1 to 96).
struct DeviceEntry {
    QString name;
    int number = 0;

    bool operator==(const DeviceEntry &) const = default;
};

// The line devices in order: telephony devices first, then COM1 to COM96,
// each under the user's name for it or "Direct to COM" + number.
class DeviceList {
public:
    bool isEmpty() const { return entries_.isEmpty(); }
    void clear() { entries_.clear(); }
    const QList<DeviceEntry> &entries() const { return entries_; }

    // Builds the list when it is empty and the port is closed; otherwise
    // leaves it as it is. lineDevices are the telephony devices' names;
    // portNames is ComName.Dat.
    void Getdevices(TLog &log, const QStringList &lineDevices, TRecordStore &portNames, bool portOpen);

    // The name of COM port number, or empty when the list has none.
    QString displayName(int number) const;
    // The COM entries only (number other than 0).
    QList<DeviceEntry> comPorts() const;

private:
    QList<DeviceEntry> entries_;
};
