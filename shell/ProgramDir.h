#pragma once

#include <QProcessEnvironment>
#include <QString>

// The folder that holds the program's own files (phonebook, macros, logs ...).
namespace ProgramDir {

// $TARNEX_HOME if set; else the executable's folder when a file "tarnex.portable"
// lies beside it; else $XDG_DATA_HOME/Tarnex (default ~/.local/share/Tarnex).
// The folder is created if missing; the result always ends in '/'.
QString resolve(const QProcessEnvironment &env, const QString &executableDir);

// resolve() for this process.
QString resolve();

// `path` with exactly one trailing '/'.
QString withSlash(const QString &path);

} // namespace ProgramDir
