#pragma once

#include "comms/screen/ScreenModel.h"

#include <QString>
#include <QStringList>

// Plain-text views of a screen, for tools, logs and tests.

// The visible rows, trailing blanks removed.
QStringList screenRows(const ScreenModel &screen);

// Attribute runs of a page row that differ from the default colours and
// flags, as "<first>-<last>:<fg>/<bg>[flags]" separated by blanks, flags
// being letters B bold, U underline, K blink, R reverse, I invisible,
// P protected; columns are 0-based. A row drawn double-width or
// double-height starts with "DW", "DHT" or "DHB". Empty when the row is
// all default.
QString attributeRuns(const ScreenModel &screen, int row);
