// Hand-edited phonebook files: parsing, listing, reading and rewriting a
// record must never crash, and other sections must survive the rewrite.
#include "sessions/store/IniDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto doc = IniDocument::parse(bytes);
    if (!doc)
        return 0;
    const QString index = QStringLiteral("Index");
    const QStringList names = doc->keys(index);
    for (const QString &name : names) {
        for (const QString &key : doc->keys(name))
            (void)doc->value(name, key);
    }
    doc->setValue(index, QStringLiteral("Fuzz"), QStringLiteral("#"));
    doc->setValue(QStringLiteral("Fuzz"), QStringLiteral("Phone"), QStringLiteral("123"));
    doc->removeKey(QStringLiteral("Fuzz"), QStringLiteral("Wip"));
    const auto again = IniDocument::parse(doc->serialize());
    if (!again || again->value(QStringLiteral("Fuzz"), QStringLiteral("Phone")) != QStringLiteral("123"))
        __builtin_trap();
    // The changed document's look-ups agree with a fresh parse of it.
    for (const QString &name : names) {
        if (!again->value(index, name) || doc->value(index, name) != again->value(index, name)
            || doc->keys(name) != again->keys(name))
            __builtin_trap();
    }
    return 0;
}
