// Feeds arbitrary line bytes to the Xmodem/Ymodem block reader in chunks
// whose sizes come from the input; every block's data also goes through the
// file header parser of Ymodem block 0, and the name it yields through the receiver's
// name confinement.
#include "comms/transfer/FileHeader.h"
#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/xmodem/BlockReader.h"

#include <algorithm>
#include <cstdlib>

namespace {

void checkHeader(const QByteArray &data)
{
    const FileHeader header = FileHeader::parse(data);
    if (header.size < -1 || header.mode > 0777 || header.mode == 0)
        std::abort();
    if (header.name.isEmpty())
        return;
    const QString dir = QStringLiteral("/tmp/fuzz-destination");
    for (const bool honorDirectory : {false, true}) {
        const QString path = IncomingFile::confinedPath(dir, header.name, honorDirectory);
        if (!path.startsWith(dir + QLatin1Char('/')) || path.contains(QLatin1String("/../")))
            std::abort();
    }
    for (const int fields : {1, 6}) {
        const QByteArray encoded = header.encode(fields, 1024);
        if (encoded.size() > 1024 || FileHeader::parse(encoded).name.isEmpty())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t chunk = 1 + data[0] % 64;
    BlockReader reader;
    reader.setCrc(data[0] & 0x80);
    const char *bytes = reinterpret_cast<const char *>(data);
    for (size_t at = 1; at < size; at += chunk) {
        const qsizetype length = qsizetype(std::min(chunk, size - at));
        qsizetype used = 0;
        while (used < length) {
            BlockReader::Result result;
            const qsizetype step = reader.read(bytes + at + used, length - used, &result);
            if (step <= 0 || step > length - used)
                std::abort();
            used += step;
            if (result.event == BlockReader::Event::Block || result.event == BlockReader::Event::BadBlock) {
                if (result.data.size() != 128 && result.data.size() != 1024)
                    std::abort();
                checkHeader(result.data);
            }
        }
    }
    checkHeader(QByteArray(bytes + 1, qsizetype(size - 1)));
    return 0;
}
