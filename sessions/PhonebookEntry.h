#pragma once

#include "sessions/store/StoreRecord.h"

// The phonebook record: field name (also its key in Phone.dat), maximum length
// and the value the entry editor puts into a new entry. "1" is the only true
// flag value.
#define TARNEX_PHONEBOOK_FIELDS(X)                                                                           \
    X(Name, 20, "")                                                                                          \
    X(Phone, 40, "")                                                                                         \
    X(Device, 80, "")                                                                                        \
    X(Port, 2, "0")                                                                                          \
    X(baud, 1, "7")                                                                                          \
    X(Parity, 1, "0")                                                                                        \
    X(Data, 1, "0")                                                                                          \
    X(Stop, 1, "0")                                                                                          \
    X(DTRDSR, 1, "0")                                                                                        \
    X(RTSCTS, 1, "1")                                                                                        \
    X(SWTrans, 1, "0")                                                                                       \
    X(SWRec, 1, "0")                                                                                         \
    X(Xon, 3, "17")                                                                                          \
    X(Xoff, 3, "19")                                                                                         \
    X(Hincom, 1, "0")                                                                                        \
    X(IncOut, 1, "0")                                                                                        \
    X(RtsLow, 1, "0")                                                                                        \
    X(Abortcd, 1, "0")                                                                                       \
    X(NameC, 1, "2")                                                                                         \
    X(FileOver, 1, "1")                                                                                      \
    X(SkipNew, 1, "0")                                                                                       \
    X(Crash, 1, "0")                                                                                         \
    X(Z8K, 1, "0")                                                                                           \
    X(Fileman, 1, "4")                                                                                       \
    X(KBlock, 5, "80")                                                                                       \
    X(KWindows, 5, "0")                                                                                      \
    X(KTimeout, 5, "5")                                                                                      \
    X(CharDelay, 5, "0")                                                                                     \
    X(Linedelay, 5, "0")                                                                                     \
    X(EofTo, 5, "364")                                                                                       \
    X(CRTrans, 1, "0")                                                                                       \
    X(LFTrans, 1, "0")                                                                                       \
    X(Script, 80, "")                                                                                        \
    X(AA, 1, "0")                                                                                            \
    X(Last, 40, "")                                                                                          \
    X(Init, 60, "ATZ")                                                                                       \
    X(Image, 2, "")                                                                                          \
    X(Wip, 40, "127.0.0.1")                                                                                  \
    X(WPort, 10, "telnet")                                                                                   \
    X(Contype, 5, "0")                                                                                       \
    X(Wmode, 5, "0")                                                                                         \
    X(Key, 15, "ANSI")                                                                                       \
    X(Protocol, 2, "7")                                                                                      \
    X(Term, 2, "1")                                                                                          \
    X(iconname, 128, "")                                                                                     \
    X(fName, 30, "")                                                                                         \
    X(fPass, 20, "")                                                                                         \
    X(fHost, 30, "")                                                                                         \
    X(fPort, 5, "")                                                                                          \
    X(fPassive, 1, "1")                                                                                      \
    X(DialCmd, 20, "ATDT")                                                                                   \
    X(Redialtrys, 5, "5")                                                                                    \
    X(Redialsecs, 5, "5")

enum class PhoneField {
#define TARNEX_PHONE_ENUM(name, length, initial) name,
    TARNEX_PHONEBOOK_FIELDS(TARNEX_PHONE_ENUM)
#undef TARNEX_PHONE_ENUM
};

class PhonebookEntry : public StoreRecord {
public:
    static constexpr int fieldCount = 53;
    static const StoreFields &fields();
    static QString keyField() { return QStringLiteral("Name"); }
    // An entry holding the new-entry values.
    static PhonebookEntry newEntry();

    PhonebookEntry()
        : StoreRecord(fields())
    { }
    explicit PhonebookEntry(const StoreRecord &record);

    QString get(PhoneField field) const { return value(qsizetype(field)); }
    void set(PhoneField field, const QString &text) { setValue(qsizetype(field), text); }
};
