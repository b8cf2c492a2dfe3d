#pragma once

#include <QByteArray>
#include <Qt>
#include <optional>

// Doorway mode: keys with no character of their own (function keys, the cursor block, Alt
// combinations) go to the host as NUL followed by the PC keyboard scan code, as BBS door programs
// read them.
namespace DoorwayKeys {

std::optional<QByteArray> translate(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace DoorwayKeys
