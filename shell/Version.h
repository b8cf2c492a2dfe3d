#pragma once

namespace Tarnex {
inline constexpr const char *versionText = "7.0.0";
}
