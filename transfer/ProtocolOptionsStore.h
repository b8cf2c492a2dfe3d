#pragma once

#include "comms/transfer/TransferTypes.h"

class PhonebookEntry;
class SettingsStore;

// The protocol options move between three places: the engine (what the next
// transfer uses), the settings (what the program starts with) and each
// phonebook entry's own copy (applied when the entry is dialled).

// Start-up: every option setting into `options`; an absent Kermit or ASCII
// value keeps the engine's own.
void LoadProtocolOptions(SettingsStore &settings, ProtocolOptions &options);

// The entry's copy into `options`, then into the settings as the engine holds
// it. A number field that is no number takes its default; a list field that
// holds no valid item number leaves that option as it was. On a telephony
// line the transfer also aborts on carrier loss, whatever the entry says (not
// stored).
void ApplyEntryProtocolOptions(
    const PhonebookEntry &entry, bool viaTapi, ProtocolOptions &options, SettingsStore &settings);
