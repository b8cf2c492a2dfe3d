#pragma once

#include <QString>

// Dialogs store flags as the texts "0" and "1".
namespace FlagText {

inline QString fromChecked(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

// Only "1" is true.
inline bool isTrue(const QString &text)
{
    return text == QLatin1String("1");
}

// A boolean as shown to the user.
inline QString shown(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace FlagText
