// Feeds arbitrary bytes from a peer to both sides of the telnet engine, cut
// into reads at places the input chooses, and checks what must hold.
#include "comms/line/TelnetCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const auto side = (data[0] & 1) ? TelnetCodec::Side::Server : TelnetCodec::Side::Client;
    const size_t cut = (data[0] >> 1) + 1; // read size 1..128
    TelnetCodec codec(side);
    QByteArray reply = codec.start();
    qsizetype replied = 0;
    for (size_t at = 1; at < size; at += cut) {
        const size_t length = at + cut <= size ? cut : size - at;
        const QByteArray in(reinterpret_cast<const char *>(data + at), static_cast<qsizetype>(length));
        const QByteArray out = codec.decode(in, reply);
        // Data out never exceeds data in; answers stay small per read.
        if (out.size() > in.size())
            abort();
        if (reply.size() - replied
            > 16 * static_cast<qsizetype>(length) + 2 * TelnetCodec::maxSubnegotiation + 64)
            abort();
        replied = reply.size();
    }
    // Whatever was agreed, encoded data must decode to itself on a peer in
    // the same binary state.
    const QByteArray sample(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QByteArray wire = codec.encode(sample);
    if (codec.sendsBinary()) {
        TelnetCodec peer(
            side == TelnetCodec::Side::Client ? TelnetCodec::Side::Server : TelnetCodec::Side::Client);
        QByteArray ignored;
        peer.decode(QByteArray("\xff\xfb\x00", 3), ignored); // peer agrees binary from us
        if (peer.decode(wire, ignored) != sample)
            abort();
    }
    return 0;
}
