#include "sessions/PhonebookEntry.h"

namespace {

struct FieldSpec {
    const char *name;
    int maxLength;
    const char *initial;
};

constexpr FieldSpec specs[] = {
#define TARNEX_PHONE_SPEC(name, length, initial) {#name, length, initial},
    TARNEX_PHONEBOOK_FIELDS(TARNEX_PHONE_SPEC)
#undef TARNEX_PHONE_SPEC
};
static_assert(std::size(specs) == PhonebookEntry::fieldCount);

} // namespace

const StoreFields &PhonebookEntry::fields()
{
    static const StoreFields list = [] {
        StoreFields result;
        for (const FieldSpec &spec : specs)
            result.append({QString::fromLatin1(spec.name), spec.maxLength});
        return result;
    }();
    return list;
}

PhonebookEntry PhonebookEntry::newEntry()
{
    PhonebookEntry entry;
    for (qsizetype i = 0; i < qsizetype(std::size(specs)); ++i)
        entry.setValue(i, QString::fromLatin1(specs[i].initial));
    return entry;
}

PhonebookEntry::PhonebookEntry(const StoreRecord &record)
    : StoreRecord(fields())
{
    // Records read from the phonebook have the same fields in the same order.
    const StoreFields &theirs = record.fields();
    for (qsizetype i = 0; i < fields().size(); ++i) {
        const bool sameField = i < theirs.size() && theirs[i].name == fields()[i].name;
        setValue(i, sameField ? record.value(i) : record.value(fields()[i].name));
    }
}
