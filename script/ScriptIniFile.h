#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// INI files as READCONFIG and WRITECONFIG use them: "[section]" lines, then
// "key=value" lines; sections and keys compared without case and blanks
// around them ignored; the first matching section and key count. A value in
// matching quotes is read without them.

// The value of `key` in `section` of `contents`; nothing when absent.
std::optional<QString> iniValue(const QByteArray &contents, const QString &section, const QString &key);

// `contents` with `key` in `section` set to `value`. Every other line stays
// byte for byte; an existing key keeps its spelling and the spacing up to its
// value; a missing key is added at the end of its section, a missing section
// at the end of the file, with the file's own line ends.
QByteArray withIniValue(
    const QByteArray &contents, const QString &section, const QString &key, const QString &value);

// READCONFIG: the value in the file `path` (found without case), else `defaultValue`.
QString readIniValue(
    const QString &path, const QString &section, const QString &key, const QString &defaultValue);

// WRITECONFIG: sets the value in the file `path` (found without case, created
// when missing), replacing the file atomically under its lock. False when it
// cannot be written, or when a section, key or value holds a line break (it
// would break the file into other lines).
bool writeIniValue(const QString &path, const QString &section, const QString &key, const QString &value);
