#pragma once

#include <QtGlobal>

// Milliseconds since this process was started by the system (its exec),
// to the resolution of the kernel's clock ticks; -1 when not known.
qint64 msSinceProcessStart();
