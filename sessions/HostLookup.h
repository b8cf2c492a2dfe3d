#pragma once

#include <QString>

#include <optional>

// Resolves a host name while the user waits and may cancel: the look-up
// window in the program, a scripted answer in tests.
class HostLookup {
public:
    virtual ~HostLookup() = default;
    // The dotted address, "0.0.0.0" when the name cannot be resolved, or
    // nothing when the user cancelled. The first "@" of host is ignored.
    virtual std::optional<QString> Lookup(const QString &host) = 0;
};
