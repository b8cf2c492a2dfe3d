#pragma once

#include "sessions/QuickConnectDialogs.h"

#include <QString>

class Comport;
class PhonebookEntry;
class TLog;

// Applies serial line settings chosen as list indexes (a phonebook entry or
// the quick-connect dialog) to the port, logging each value set.
namespace SerialLineSetup {

// Index to rate: 300 to 115200.
int baudRate(int index);

// The line settings of a phonebook entry; init and dial command stay empty.
ComportParameters fromEntry(const PhonebookEntry &entry);

// bothFlowLog is the log text for software flow both ways ("SFC=Both" for an
// entry, "SFC=BOTH" for quick connect).
void apply(Comport &port, TLog &log, const ComportParameters &line, const QString &bothFlowLog);

} // namespace SerialLineSetup
