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
    const StoreFields &from = record.fields();
    for (qsizetype i = 0; i < fields().size(); ++i) {
        const QString &name = fields()[i].name;
        // A record of the phonebook's own fields needs no search by name.
        setValue(i, record.value(i < from.size() && from[i].name == name ? i : record.indexOf(name)));
    }
}
