#pragma once

#include "sessions/EntryEditors.h"
#include "sessions/PhonebookEntry.h"

// Moving a phonebook entry into the phonebook window's entry dialogs and back.
// Texts are cut to their fields' lengths by the entry itself.

// The keyboard emulation item of a Key text ("ANSI" for anything unknown).
int keyboardItem(const QString &key);
// The Key text stored for a keyboard emulation item.
QString keyboardName(int item);
// A number field, or fallback when it is not a number.
int numberOr(const QString &text, int fallback);
// The protocol item of a Protocol text: Zmodem unless it is a number from 0 to 10.
int protocolItem(const QString &protocol);
// An icon number limited to the icon list; -1 when the list is empty.
int limitedIcon(const QString &image, int iconCount);

// "Session properties" filled from an entry. A Term of "0" is first changed
// to "1" in the entry.
SessionEditorFields sessionEditorFields(PhonebookEntry &entry);
// What "Session properties" gives back, into the entry (not the name).
void applySessionEditor(const SessionEditorFields &fields, PhonebookEntry &entry);
// The fields "Session properties" starts with for a new entry.
SessionEditorFields newSessionEditorFields(const PhonebookEntry &fresh);

// "New FTP Connection" filled from an entry.
FtpEditorFields ftpEditorFields(const PhonebookEntry &entry, int iconCount);
// What "New FTP Connection" gives back, into the entry (not the name); the
// passive box is not stored. iconFileName is the icon list's file at the
// chosen index.
void applyFtpEditor(const FtpEditorFields &fields, const QString &iconFileName, PhonebookEntry &entry);

// An entry made for FTP by an earlier version.
inline bool isFtpEntry(const PhonebookEntry &entry)
{
    return !entry.get(PhoneField::fPort).isEmpty();
}
// Something to dial: a device, an FTP host or a TCP address.
bool isDiallable(const PhonebookEntry &entry);
