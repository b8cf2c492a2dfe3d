#include "comms/transfer/bplus/BPlusParams.h"

#include <algorithm>

namespace BPlus {

QByteArray Params::encode() const
{
    QByteArray body;
    for (const quint8 b : {windowSend, windowReceive, blockSize, checkMethod, quotingLevel, transportLayer})
        body.append(static_cast<char>(b));
    for (const quint8 b : quoteMask)
        body.append(static_cast<char>(b));
    for (const quint8 b : {downloadResume, uploadResume, fileInfo})
        body.append(static_cast<char>(b));
    return body;
}

Params Params::decode(const QByteArray &body)
{
    const auto at = [&body](int i) { return i < body.size() ? static_cast<quint8>(body[i]) : quint8(0); };
    Params p;
    p.windowSend = at(0);
    p.windowReceive = at(1);
    p.blockSize = at(2);
    p.checkMethod = at(3);
    p.quotingLevel = at(4);
    p.transportLayer = at(5);
    for (int i = 0; i < 8; ++i)
        p.quoteMask[i] = at(6 + i);
    p.downloadResume = at(14);
    p.uploadResume = at(15);
    p.fileInfo = at(16);
    return p;
}

QuoteSet Params::quoteSet() const
{
    // Bit 7 of each mask byte stands for the first of its eight characters.
    QuoteSet set;
    for (int i = 0; i < 8; ++i)
        for (int bit = 0; bit < 8; ++bit)
            if (quoteMask[i] & (0x80 >> bit))
                set.set((i < 4 ? 0x00 : 0x80) + (i % 4) * 8 + bit);
    return set;
}

Session negotiate(const Params &own, const Params &other)
{
    const auto blocks = [](quint8 b) { return b == 0 ? 4 : std::min<int>(b, 8); };
    Session s;
    s.sendAhead = std::min({int(own.windowSend), int(other.windowReceive), maxSendAhead});
    s.blockSize = std::min(blocks(own.blockSize), blocks(other.blockSize)) * 128;
    s.crc = std::min(own.checkMethod, other.checkMethod) >= 1;
    s.quote = own.quoteSet() | other.quoteSet() | mandatoryQuoteSet();
    s.downloadResume = std::min(own.downloadResume, other.downloadResume);
    s.uploadResume = std::min(own.uploadResume, other.uploadResume);
    s.fileInfo = std::min(own.fileInfo, other.fileInfo) > 0;
    return s;
}

} // namespace BPlus
