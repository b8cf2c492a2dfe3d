#include "comms/keyboard/DoorwayKeys.h"

namespace DoorwayKeys {

namespace {

// Scan codes of Alt+letter, A to Z.
constexpr quint8 altLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26,
    0x32, 0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

struct Extended {
    int key;
    quint8 plain, ctrl, alt;
};
// The cursor block.
constexpr Extended cursorBlock[] = {
    {Qt::Key_Home, 0x47, 0x77, 0x97},
    {Qt::Key_Up, 0x48, 0x8D, 0x98},
    {Qt::Key_PageUp, 0x49, 0x84, 0x99},
    {Qt::Key_Left, 0x4B, 0x73, 0x9B},
    {Qt::Key_Right, 0x4D, 0x74, 0x9D},
    {Qt::Key_End, 0x4F, 0x75, 0x9F},
    {Qt::Key_Down, 0x50, 0x91, 0xA0},
    {Qt::Key_PageDown, 0x51, 0x76, 0xA1},
    {Qt::Key_Insert, 0x52, 0x92, 0xA2},
    {Qt::Key_Delete, 0x53, 0x93, 0xA3},
};

std::optional<QByteArray> code(int scan)
{
    if (scan <= 0)
        return std::nullopt;
    return QByteArray(1, '\0') + char(scan);
}

int functionKey(int n, bool shift, bool ctrl, bool alt)
{
    if (n <= 10) {
        const int base = alt ? 0x68 : ctrl ? 0x5E : shift ? 0x54 : 0x3B;
        return base + n - 1;
    }
    if (n <= 12) {
        const int base = alt ? 0x8B : ctrl ? 0x89 : shift ? 0x87 : 0x85;
        return base + n - 11;
    }
    return 0;
}

} // namespace

std::optional<QByteArray> translate(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);

    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return code(functionKey(qtKey - Qt::Key_F1 + 1, shift, ctrl, alt));
    for (const Extended &e : cursorBlock) {
        if (e.key == qtKey)
            return code(alt ? e.alt : ctrl ? e.ctrl : e.plain);
    }
    if (!alt || ctrl)
        return std::nullopt;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return code(altLetters[qtKey - Qt::Key_A]);
    if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9)
        return code(0x78 + qtKey - Qt::Key_1);
    if (qtKey == Qt::Key_0)
        return code(0x81);
    if (qtKey == Qt::Key_Minus)
        return code(0x82);
    if (qtKey == Qt::Key_Equal)
        return code(0x83);
    return std::nullopt;
}

} // namespace DoorwayKeys
