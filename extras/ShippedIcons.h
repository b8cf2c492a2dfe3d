#pragma once

#include <QString>
#include <QStringList>

// The session icons shipped with the program, drawn for it as SVG.
namespace ShippedIcons {

// The shipped icons' file names, in sorted order.
QStringList names();

// Seeds a missing folder with the shipped icons; an existing folder is left
// as the user made it, so an icon deleted there does not come back. False
// with a message in error when the folder or an icon cannot be written.
bool install(const QString &folder, QString *error);

} // namespace ShippedIcons
