#pragma once

#include <QString>

// Paths in scripts were written for a file system that ignores case (the
// parser even upper-cases some of them) and may separate folders with "\".
// They are found here component by component without case, but never by
// guessing between names that differ only in case.
namespace ScriptPaths {

// The path with "\" turned into "/".
QString withSlashes(const QString &path);

struct Resolved {
    // The path as found on disk; from the first missing component on, spelt as given.
    QString path;
    // Every component was found.
    bool exists = false;
    // The first component that matched several names differing only in case,
    // none of them exactly; `path` is then empty and `exists` false.
    QString ambiguous;
};
Resolved resolve(const QString &path);
// The path as found on disk, or as given (with slashes) when it cannot be
// told: for names the next step opens or creates. Empty stays empty, and a
// folder keeps its final slash.
QString foundPath(const QString &path);

} // namespace ScriptPaths
