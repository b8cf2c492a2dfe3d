#pragma once

#include <QString>

// The four event sounds shipped with the program.
namespace ShippedSounds {

// Copies each shipped sound that is missing into folder (created if need
// be); false with a message in error when one cannot be written.
bool install(const QString &folder, QString *error);

} // namespace ShippedSounds
