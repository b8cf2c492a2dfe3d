#pragma once

#include <QString>
#include <Qt>

// The keys a key map can name, with the Qt key they come from.
enum class KeyGroup {
    Cursor, // arrow keys: follow the host's cursor key mode
    Keypad, // numeric keypad: follows the host's keypad mode
    Editing, // Insert, Delete, Home, End, Page Up, Page Down
    Function, // F1-F20
    Typing, // ordinary keys, mapped only when all keys are processed
};

struct KeyName {
    const char *name; // as written in the key map file
    const char *label; // as shown to the user
    int qtKey;
    bool keypad; // the key carries Qt::KeypadModifier
    KeyGroup group;
};

namespace KeyNames {

// Every key in the order the editor lists them.
const KeyName *all(qsizetype *count);
// The key for a Qt key event, or nullptr. A keypad key that is not a key of its own (a keypad arrow
// with Num Lock off) is looked up as the main key.
const KeyName *fromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// Case-insensitive.
const KeyName *fromName(QStringView name);

bool isExtended(const KeyName &key);

} // namespace KeyNames
