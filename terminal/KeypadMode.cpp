#include "terminal/KeypadMode.h"

#include <array>
#include <utility>

namespace {

// Numeric and application variants of the same terminal.
constexpr std::array<std::pair<const char *, const char *>, 2> variants{{
    {"VT100N", "VT100A"},
    {"VT220N", "VT220A"},
}};

} // namespace

QString KeypadMode::numericType(const QString &type)
{
    for (const auto &[numeric, application] : variants) {
        if (type == QLatin1String(application))
            return QString::fromLatin1(numeric);
    }
    return type;
}

QString KeypadMode::applicationType(const QString &type)
{
    for (const auto &[numeric, application] : variants) {
        if (type == QLatin1String(numeric))
            return QString::fromLatin1(application);
    }
    return type;
}

bool KeypadMode::isApplication(const QString &type)
{
    return numericType(type) != type;
}
