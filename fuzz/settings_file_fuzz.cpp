// Hand-edited settings files: parsing, every typed read and a rewrite must
// never crash, and a rewrite must read back to the same values.
#include "shell/settings/SettingsDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SettingsDocument doc = SettingsDocument::parse(bytes);
    const QString name = QStringLiteral("Rows");
    (void)doc.typeOf(name);
    (void)doc.string(name);
    (void)doc.integer(name);
    (void)doc.binary(name);
    const QString text = QString::fromUtf8(bytes.left(64));
    doc.setString(text.isEmpty() ? name : text, text);
    const SettingsDocument again = SettingsDocument::parse(doc.serialize());
    if (again.string(text.isEmpty() ? name : text) != doc.string(text.isEmpty() ? name : text))
        __builtin_trap();
    return 0;
}
