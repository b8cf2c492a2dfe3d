#pragma once

#include "sessions/store/StoreRecord.h"

// A record of ComName.Dat: the display name of one COM port.
namespace PortNameRecord {

inline const StoreFields &fields()
{
    static const StoreFields list{{QStringLiteral("Comnumber"), 20}, {QStringLiteral("NewName"), 20}};
    return list;
}
inline QString keyField()
{
    return QStringLiteral("Comnumber");
}
// The key of COM port n: "C" followed by the number.
inline QString keyFor(int port)
{
    return QStringLiteral("C%1").arg(port);
}
inline StoreRecord make(int port, const QString &name)
{
    StoreRecord record(fields());
    record.setValue(0, keyFor(port));
    record.setValue(1, name);
    return record;
}

} // namespace PortNameRecord
