// Feeds arbitrary modem output, cut into lines as the modem object cuts it,
// to the result-code reader and checks what a caller relies on.
#include "comms/modem/ModemResult.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &line : text.split('\r')) {
        const std::optional<ModemResult> result = ModemResult::parse(line.trimmed());
        if (!result)
            continue;
        // A speed is never negative, only a connect carries one or tags, and
        // the text is one of the result words.
        if (result->speed < 0)
            abort();
        if (result->kind != ModemResult::Kind::Connect
            && (result->speed != 0 || !result->compression.isEmpty() || !result->errorCorrection.isEmpty()))
            abort();
        if (result->text.isEmpty() || result->text.size() > 16)
            abort();
    }
    return 0;
}
