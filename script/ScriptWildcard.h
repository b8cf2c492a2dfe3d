#pragma once

#include <QString>

// Whether `name` matches `pattern`, where "*" stands for any run of characters
// and "?" for one; "*.*" matches every name, as on the system scripts come from.
bool wildcardMatches(const QString &pattern, const QString &name, Qt::CaseSensitivity cs);
