// Key map text: parsing, editing a key and writing back must not crash, and what is written must
// read back to the same sequences.
#include "comms/keyboard/KeyMap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KeyMap map;
    QStringList warnings;
    map.setText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), &warnings);
    const QStringList sections = map.sections();
    KeySequences sequences;
    sequences[0] = QByteArray(reinterpret_cast<const char *>(data), qsizetype(qMin<size_t>(size, 16)));
    if (sequences[0].isEmpty())
        sequences[0] = "x";
    const QString section = sections.value(0, QStringLiteral("New"));
    map.set(section, QStringLiteral("F1"), sequences);
    KeyMap reread;
    reread.setText(map.text());
    const KeySequences *found = reread.find(section, QStringLiteral("F1"));
    if (!found || (*found)[0] != map.find(section, QStringLiteral("F1"))->at(0))
        std::abort();
    return 0;
}
