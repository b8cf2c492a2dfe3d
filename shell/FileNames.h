#pragma once

#include <QString>
#include <QStringList>

// Program files are spelt in several ways ("Phone.dat", "Phone.Dat"); on a
// case-sensitive file system they are found by matching names without case.
namespace FileNames {

// Path of `name` inside `folder`. An exact match wins; otherwise the first file
// (in sorted order) whose name matches without case; when nothing matches, the
// path spelt as given, so that it can be created.
QString lookup(const QString &folder, const QString &name);

// Entries of `folder` whose names equal `name` without case, in sorted order.
QStringList matchesWithoutCase(const QString &folder, const QString &name);

// lookup() applied to the last component of `path`.
QString resolve(const QString &path);

} // namespace FileNames
