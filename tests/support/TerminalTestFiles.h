#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers for the keyboard and terminal tests.
namespace TerminalTestFiles {

// Replaces the file's contents; false when it cannot be written.
bool write(const QString &path, const QByteArray &bytes);
// The file's contents, or "<unreadable>".
QByteArray read(const QString &path);

} // namespace TerminalTestFiles
