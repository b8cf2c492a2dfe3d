#pragma once

#include "comms/line/ComDevices.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One named line device: an AT modem on a port.
struct LineDeviceEntry {
    QString name;
    // A COM number ("65") or a device path ("/dev/ttyACM0").
    QString port;
    // Sent to the modem before each dial or answer, in caret notation.
    QString init;
    // 0 keeps the port's rate.
    qint32 baud = 0;
};

// LineDevices.ini in the home folder, one section per device:
//
//   ; USB modem on the first ACM port
//   [USB modem]
//   Port=/dev/ttyACM0
//   Init=ATZ^M
//   Baud=115200
//
// Port is required; Init and Baud are optional. Lines starting with ';' or
// '#' are comments. Writing replaces the file atomically and keeps every
// other section, key and comment as it was.
class LineDevices {
public:
    static constexpr auto fileName = "LineDevices.ini";

    explicit LineDevices(const QString &homeFolder, ComDevices::Override override = {});

    // The file (found without case), or where it would be created.
    QString filePath() const;

    // The usable devices in file order; why the others (or the whole file)
    // were skipped goes to problems.
    QList<LineDeviceEntry> devices(QStringList *problems = nullptr) const;
    // The entry as written, usable or not (for editing).
    std::optional<LineDeviceEntry> entry(const QString &name) const;
    // The device path a Port value names, empty when it names none.
    QString devicePath(const QString &port) const;

    // Writes the entry into the section oldName (a new section when there is
    // none); a changed name renames the section. False with the reason in
    // error when the name is empty or taken by another device, or the file
    // cannot be written.
    bool save(const QString &oldName, const LineDeviceEntry &entry, QString *error = nullptr) const;

private:
    QString home_;
    ComDevices::Override override_;
};
