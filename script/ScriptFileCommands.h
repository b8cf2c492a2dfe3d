#pragma once

#include <QString>

#include <functional>

// The script's file commands. Paths are found without case (ScriptPaths) and
// may use "\" between folders.

// CHDIR: makes `path` the current directory; false when it cannot.
bool scriptChangeDirectory(const QString &path);

// DELETE: deletes the files of any attribute that match `pattern`, a folder
// part followed by a name or a name pattern with "*" and "?" ("*.*" matches
// every name), names matched without case. Where several names differ only in
// case, only the one matching exactly is deleted, or none; `log` gets a line
// saying why, and one for every file that could not be deleted. Returns the
// number of files deleted.
int scriptDeleteFiles(const QString &pattern, const std::function<void(const QString &)> &log);

// FILECOPY: copies `source` to `destination` (a file, or a folder when it ends
// with a separator or is an existing folder) under `mode`. An existing target
// is kept for "ABSCENT" and for any word that is not one of the modes,
// replaced for "NEWER" when the source was written later, for "DIFFERENT"
// when the write times or the sizes differ, and for "ALWAYS" (words compared
// without case). The target is replaced as a whole, never left half-written,
// and given the source's write time and permissions. Returns whether it copied.
bool scriptCopyFile(const QString &source, const QString &destination, const QString &mode);
