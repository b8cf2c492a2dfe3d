#include "comms/keyboard/KeyNames.h"

#include <iterator>

namespace {

// clang-format off
const KeyName keys[] = {
    {"Up", "Up", Qt::Key_Up, false, KeyGroup::Cursor},
    {"Down", "Down", Qt::Key_Down, false, KeyGroup::Cursor},
    {"Left", "Left", Qt::Key_Left, false, KeyGroup::Cursor},
    {"Right", "Right", Qt::Key_Right, false, KeyGroup::Cursor},
    {"Insert", "Insert", Qt::Key_Insert, false, KeyGroup::Editing},
    {"Delete", "Delete", Qt::Key_Delete, false, KeyGroup::Editing},
    {"Home", "Home", Qt::Key_Home, false, KeyGroup::Editing},
    {"End", "End", Qt::Key_End, false, KeyGroup::Editing},
    {"PageUp", "Page Up", Qt::Key_PageUp, false, KeyGroup::Editing},
    {"PageDown", "Page Down", Qt::Key_PageDown, false, KeyGroup::Editing},
    {"F1", "F1", Qt::Key_F1, false, KeyGroup::Function},
    {"F2", "F2", Qt::Key_F2, false, KeyGroup::Function},
    {"F3", "F3", Qt::Key_F3, false, KeyGroup::Function},
    {"F4", "F4", Qt::Key_F4, false, KeyGroup::Function},
    {"F5", "F5", Qt::Key_F5, false, KeyGroup::Function},
    {"F6", "F6", Qt::Key_F6, false, KeyGroup::Function},
    {"F7", "F7", Qt::Key_F7, false, KeyGroup::Function},
    {"F8", "F8", Qt::Key_F8, false, KeyGroup::Function},
    {"F9", "F9", Qt::Key_F9, false, KeyGroup::Function},
    {"F10", "F10", Qt::Key_F10, false, KeyGroup::Function},
    {"F11", "F11", Qt::Key_F11, false, KeyGroup::Function},
    {"F12", "F12", Qt::Key_F12, false, KeyGroup::Function},
    {"F13", "F13", Qt::Key_F13, false, KeyGroup::Function},
    {"F14", "F14", Qt::Key_F14, false, KeyGroup::Function},
    {"F15", "F15", Qt::Key_F15, false, KeyGroup::Function},
    {"F16", "F16", Qt::Key_F16, false, KeyGroup::Function},
    {"F17", "F17", Qt::Key_F17, false, KeyGroup::Function},
    {"F18", "F18", Qt::Key_F18, false, KeyGroup::Function},
    {"F19", "F19", Qt::Key_F19, false, KeyGroup::Function},
    {"F20", "F20", Qt::Key_F20, false, KeyGroup::Function},
    {"PF1", "PF1 (Num Lock)", Qt::Key_NumLock, false, KeyGroup::Keypad},
    {"PF2", "PF2 (keypad /)", Qt::Key_Slash, true, KeyGroup::Keypad},
    {"PF3", "PF3 (keypad *)", Qt::Key_Asterisk, true, KeyGroup::Keypad},
    {"PF4", "PF4 (keypad -)", Qt::Key_Minus, true, KeyGroup::Keypad},
    {"KP0", "Keypad 0", Qt::Key_0, true, KeyGroup::Keypad},
    {"KP1", "Keypad 1", Qt::Key_1, true, KeyGroup::Keypad},
    {"KP2", "Keypad 2", Qt::Key_2, true, KeyGroup::Keypad},
    {"KP3", "Keypad 3", Qt::Key_3, true, KeyGroup::Keypad},
    {"KP4", "Keypad 4", Qt::Key_4, true, KeyGroup::Keypad},
    {"KP5", "Keypad 5", Qt::Key_5, true, KeyGroup::Keypad},
    {"KP6", "Keypad 6", Qt::Key_6, true, KeyGroup::Keypad},
    {"KP7", "Keypad 7", Qt::Key_7, true, KeyGroup::Keypad},
    {"KP8", "Keypad 8", Qt::Key_8, true, KeyGroup::Keypad},
    {"KP9", "Keypad 9", Qt::Key_9, true, KeyGroup::Keypad},
    {"KPDecimal", "Keypad .", Qt::Key_Period, true, KeyGroup::Keypad},
    {"KPAdd", "Keypad +", Qt::Key_Plus, true, KeyGroup::Keypad},
    {"KPEnter", "Keypad Enter", Qt::Key_Enter, true, KeyGroup::Keypad},
    {"Backspace", "Backspace", Qt::Key_Backspace, false, KeyGroup::Typing},
    {"Tab", "Tab", Qt::Key_Tab, false, KeyGroup::Typing},
    {"Enter", "Enter", Qt::Key_Return, false, KeyGroup::Typing},
    {"Escape", "Esc", Qt::Key_Escape, false, KeyGroup::Typing},
    {"Space", "Space", Qt::Key_Space, false, KeyGroup::Typing},
    {"A", "A", Qt::Key_A, false, KeyGroup::Typing},
    {"B", "B", Qt::Key_B, false, KeyGroup::Typing},
    {"C", "C", Qt::Key_C, false, KeyGroup::Typing},
    {"D", "D", Qt::Key_D, false, KeyGroup::Typing},
    {"E", "E", Qt::Key_E, false, KeyGroup::Typing},
    {"F", "F", Qt::Key_F, false, KeyGroup::Typing},
    {"G", "G", Qt::Key_G, false, KeyGroup::Typing},
    {"H", "H", Qt::Key_H, false, KeyGroup::Typing},
    {"I", "I", Qt::Key_I, false, KeyGroup::Typing},
    {"J", "J", Qt::Key_J, false, KeyGroup::Typing},
    {"K", "K", Qt::Key_K, false, KeyGroup::Typing},
    {"L", "L", Qt::Key_L, false, KeyGroup::Typing},
    {"M", "M", Qt::Key_M, false, KeyGroup::Typing},
    {"N", "N", Qt::Key_N, false, KeyGroup::Typing},
    {"O", "O", Qt::Key_O, false, KeyGroup::Typing},
    {"P", "P", Qt::Key_P, false, KeyGroup::Typing},
    {"Q", "Q", Qt::Key_Q, false, KeyGroup::Typing},
    {"R", "R", Qt::Key_R, false, KeyGroup::Typing},
    {"S", "S", Qt::Key_S, false, KeyGroup::Typing},
    {"T", "T", Qt::Key_T, false, KeyGroup::Typing},
    {"U", "U", Qt::Key_U, false, KeyGroup::Typing},
    {"V", "V", Qt::Key_V, false, KeyGroup::Typing},
    {"W", "W", Qt::Key_W, false, KeyGroup::Typing},
    {"X", "X", Qt::Key_X, false, KeyGroup::Typing},
    {"Y", "Y", Qt::Key_Y, false, KeyGroup::Typing},
    {"Z", "Z", Qt::Key_Z, false, KeyGroup::Typing},
    {"0", "0", Qt::Key_0, false, KeyGroup::Typing},
    {"1", "1", Qt::Key_1, false, KeyGroup::Typing},
    {"2", "2", Qt::Key_2, false, KeyGroup::Typing},
    {"3", "3", Qt::Key_3, false, KeyGroup::Typing},
    {"4", "4", Qt::Key_4, false, KeyGroup::Typing},
    {"5", "5", Qt::Key_5, false, KeyGroup::Typing},
    {"6", "6", Qt::Key_6, false, KeyGroup::Typing},
    {"7", "7", Qt::Key_7, false, KeyGroup::Typing},
    {"8", "8", Qt::Key_8, false, KeyGroup::Typing},
    {"9", "9", Qt::Key_9, false, KeyGroup::Typing},
};
// clang-format on

} // namespace

namespace KeyNames {

const KeyName *all(qsizetype *count)
{
    *count = qsizetype(std::size(keys));
    return keys;
}

const KeyName *fromQt(int qtKey, Qt::KeyboardModifiers modifiers)
{
    bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey == Qt::Key_Comma && keypad)
        qtKey = Qt::Key_Period; // keypad decimal key in locales with a decimal comma
    if (qtKey == Qt::Key_Backtab)
        qtKey = Qt::Key_Tab;
    for (const KeyName &key : keys) {
        if (key.qtKey == qtKey && key.keypad == keypad)
            return &key;
    }
    if (keypad)
        return fromQt(qtKey, modifiers & ~Qt::KeypadModifier);
    return nullptr;
}

const KeyName *fromName(QStringView name)
{
    for (const KeyName &key : keys) {
        if (name.compare(QLatin1StringView(key.name), Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

bool isExtended(const KeyName &key)
{
    return key.group != KeyGroup::Typing;
}

} // namespace KeyNames
