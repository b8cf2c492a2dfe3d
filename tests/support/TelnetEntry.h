#pragma once

#include "sessions/PhonebookEntry.h"
#include "sessions/store/RecordStore.h"

#include <QList>
#include <QPair>

// Adds a telnet entry to the phonebook in home (ending in '/'): a client of
// 127.0.0.1:port (Wmode "0") or a listener on it ("1"), with more fields
// as given.
inline void addTelnetEntry(const QString &home, const QString &name, quint16 port,
    const QList<QPair<PhoneField, QString>> &fields = {})
{
    TRecordStore phonebook(
        home + QStringLiteral("Phone.Dat"), PhonebookEntry::fields(), PhonebookEntry::keyField());
    PhonebookEntry entry = PhonebookEntry::newEntry();
    entry.set(PhoneField::Name, name);
    entry.set(PhoneField::Contype, QStringLiteral("1"));
    entry.set(PhoneField::Wmode, QStringLiteral("0"));
    entry.set(PhoneField::Wip, QStringLiteral("127.0.0.1"));
    entry.set(PhoneField::WPort, QString::number(port));
    for (const auto &[field, value] : fields)
        entry.set(field, value);
    phonebook.add(entry);
}
