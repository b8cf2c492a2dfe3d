// Feeds arbitrary line bytes to the Zmodem frame decoder in chunks whose
// sizes come from the input, checking what it reports.
#include "comms/transfer/zmodem/ZmodemDecoder.h"

#include <algorithm>
#include <cstdlib>

namespace {

class CheckingSink : public ZmodemSink {
public:
    void setDecoder(ZmodemDecoder *decoder) { decoder_ = decoder; }
    void zHeader(const Zmodem::Header &header) override
    {
        // Skip the data of some frames, as a receiver does for stale ZDATA.
        if (header.b[0] & 1)
            decoder_->skipData();
    }
    void zData(const quint8 *data, int length, quint8 frameEnd) override
    {
        if (length < 0 || length > Zmodem::MaxSubpacket)
            std::abort();
        if (frameEnd < Zmodem::ZCRCE || frameEnd > Zmodem::ZCRCW)
            std::abort();
        volatile quint8 sum = 0;
        for (int i = 0; i < length; ++i)
            sum = sum + data[i];
    }
    void zBadHeader() override { }
    void zBadData() override { }
    void zCancelled() override { }

private:
    ZmodemDecoder *decoder_ = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t chunk = 1 + data[0] % 64;
    CheckingSink sink;
    ZmodemDecoder decoder(&sink);
    sink.setDecoder(&decoder);
    for (size_t at = 1; at < size; at += chunk)
        decoder.feed(data + at, qsizetype(std::min(chunk, size - at)));
    return 0;
}
