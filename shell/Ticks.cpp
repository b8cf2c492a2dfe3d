#include "shell/Ticks.h"

#include <cmath>

namespace Ticks {

qint64 toMs(qint64 ticks)
{
    if (ticks <= 0)
        return 0;
    return static_cast<qint64>(std::llround(static_cast<double>(ticks) * msPerTick));
}

qint64 fromMs(qint64 ms)
{
    if (ms <= 0)
        return 0;
    return static_cast<qint64>(std::llround(static_cast<double>(ms) / msPerTick));
}

} // namespace Ticks
