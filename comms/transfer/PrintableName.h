#pragma once

#include <QString>

// A name that came from the remote side, fit to be shown on a terminal or
// written to a log: control and format characters (C0, DEL, C1, direction
// overrides) are written as \xHH or \uHHHH, so none of them reaches the
// terminal and none can break or forge a line.
QString printableName(const QString &name);
