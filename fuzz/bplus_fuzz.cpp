// Feeds arbitrary line bytes to the B+ packet parser, cut into reads at
// places the input chooses, and decodes every packet body it accepts.
#include "comms/transfer/bplus/BPlusPacket.h"
#include "comms/transfer/bplus/BPlusParams.h"
#include "comms/transfer/bplus/BPlusTransferPackets.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const bool crc = data[0] & 1;
    const size_t cut = (data[0] >> 1) + 1; // read size 1..128
    BPlus::Parser parser;
    parser.setCrc(crc);
    QList<BPlus::Event> events;
    for (size_t at = 1; at < size; at += cut) {
        const size_t length = at + cut <= size ? cut : size - at;
        parser.feed(
            QByteArray(reinterpret_cast<const char *>(data + at), static_cast<qsizetype>(length)), events);
    }
    for (const BPlus::Event &event : events) {
        if (event.kind != BPlus::Event::Packet)
            continue;
        if (event.body.size() > BPlus::maxBody || event.seq < 0 || event.seq > 9)
            abort();
        // What was accepted encodes and parses back to itself.
        BPlus::Parser again;
        again.setCrc(crc);
        QList<BPlus::Event> back;
        again.feed(BPlus::encodePacket(event.seq, event.type, event.body, BPlus::Encoding{crc, {}}), back);
        if (back.size() != 1 || back[0].kind != BPlus::Event::Packet || back[0].body != event.body)
            abort();
        BPlus::ResumeOffer offer;
        BPlus::decodeResumeOffer(event.body, &offer);
        BPlus::decodeFileInfo(event.body);
        BPlus::decodeTransferRequest(event.body);
        BPlus::failureText(event.body);
        BPlus::negotiate(BPlus::Params(), BPlus::Params::decode(event.body));
    }
    return 0;
}
