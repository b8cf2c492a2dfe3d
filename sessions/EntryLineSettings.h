#pragma once

#include "sessions/QuickConnectDialogs.h"

class PhonebookEntry;

// An entry's line fields as the entry editor shows and stores them: the
// device it dials through and the settings of "Comport parameters".
namespace EntryLineSettings {

// The line settings, init string and dial command of entry. A list field
// without a digit shows its new-entry value.
ComportParameters parameters(const PhonebookEntry &entry);

// Writes parameters back: list items as one digit, flags as "1" or "0",
// texts cut to their fields; an empty dial command is stored as "ATDT".
void store(PhonebookEntry &entry, const ComportParameters &parameters);

// The entry dials through device: a COM port sets Port to its number, a
// telephony line device (number 0) sets Port "0".
void chooseDevice(PhonebookEntry &entry, const DeviceEntry &device);

} // namespace EntryLineSettings
