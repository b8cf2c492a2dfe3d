#pragma once

#include <QtGlobal>

// Durations given to triggers and scripts are ticks of 1/18.2 s.
namespace Ticks {

inline constexpr double msPerTick = 1000.0 / 18.2;

// Rounded to the nearest millisecond; negative counts are treated as zero.
qint64 toMs(qint64 ticks);
// Rounded to the nearest tick.
qint64 fromMs(qint64 ms);

} // namespace Ticks
