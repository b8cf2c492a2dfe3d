#pragma once

#include <QString>

// Script texts reach the interpreter upper-cased, as on the file system the language was
// made for. On a case-sensitive one each part of a path is found without case.
namespace ScriptPaths {

// The path with every existing folder and file found without case (an exact match wins);
// parts that do not exist stay as given.
QString resolve(const QString &path);

} // namespace ScriptPaths
