#pragma once

#include <QString>

// The key map shipped with the program and its place in the program folder.
namespace DefaultKeyMap {

inline constexpr char fileName[] = "Keybrd.ini";

// The key map in programDir (matched without case), or programDir + "Keybrd.ini" when there is none.
QString pathIn(const QString &programDir);
// Copies the shipped key map into programDir unless one is there already; false with a message in
// error when it cannot be written.
bool install(const QString &programDir, QString *error);
QString text();

} // namespace DefaultKeyMap
