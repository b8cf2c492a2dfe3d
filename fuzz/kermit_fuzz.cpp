// Kermit from the line: arbitrary bytes through the packet reader and every
// field decoder, then a receiving engine fed packets whose framing and block
// check the input chooses, so that the fuzzer reaches the engine's states.
#include "comms/link/ByteLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "comms/transfer/kermit/KermitAttributes.h"
#include "comms/transfer/kermit/KermitCodec.h"
#include "comms/transfer/kermit/KermitPacket.h"
#include "comms/transfer/kermit/KermitParams.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

class SinkLink : public ByteLink {
public:
    void send(const QByteArray &bytes) override { sent += bytes.size(); }
    qint64 pendingOutput() const override { return 0; }
    void discardOutput() override { }
    bool isConnected() const override { return true; }
    qint64 sent = 0;
};

QByteArray slice(const uint8_t *data, size_t from, size_t length)
{
    return QByteArray(reinterpret_cast<const char *>(data + from), static_cast<qsizetype>(length));
}

// Every decoder a received packet's data field meets.
void decodeFields(const Kermit::Packet &packet)
{
    const KermitParams theirs = KermitParams::decode(packet.data);
    KermitParams mine;
    mine.qbin = 'Y';
    mine.rept = '~';
    mine.longPackets = true;
    mine.windows = true;
    mine.windowSize = 31;
    const KermitLink link = negotiate(mine, theirs);
    if (link.windowSize < 1 || link.windowSize > 31 || link.sendMaxLength > Kermit::MaxExtendedLength)
        std::abort();
    const KermitCodec codec(link.peerQctl, link.qbin, link.rept);
    QByteArray decoded;
    codec.decode(packet.data, decoded);
    // What our encoder makes decodes back to the input.
    const KermitCodec ours(link.qctl, link.qbin, link.rept);
    QByteArray back;
    if (!ours.decode(ours.encode(packet.data), back) || back != packet.data)
        std::abort();
    KermitAttributes::decode(packet.data);
}

void readPackets(const uint8_t *data, size_t size, size_t cut, int checkType)
{
    Kermit::PacketReader reader;
    reader.setCheckType(checkType);
    for (size_t at = 0; at < size; at += cut) {
        const QByteArray chunk = slice(data, at, qMin(cut, size - at));
        reader.feed(chunk.constData(), chunk.size(), [](const Kermit::PacketReader::Result &result) {
            if (!result.ok)
                return;
            if (result.packet.seq < 0 || result.packet.seq > 63
                || result.packet.data.size() > Kermit::MaxExtendedLength)
                std::abort();
            decodeFields(result.packet);
        });
    }
}

// Records of [flags][type][length low][length high][data...]: flags 0 passes
// the data on unframed; otherwise bits 0-1 give the block check and bits 2-7
// the sequence number.
QByteArray framedStream(const uint8_t *data, size_t size)
{
    QByteArray stream;
    size_t at = 0;
    while (at + 4 <= size) {
        const uint8_t flags = data[at];
        const char type = static_cast<char>(data[at + 1]);
        size_t length = data[at + 2] | (size_t(data[at + 3] & 0x1F) << 8);
        at += 4;
        length = qMin(length, size - at);
        const QByteArray body = slice(data, at, length);
        at += length;
        const int check = flags & 3;
        if (check == 0)
            stream += body;
        else
            stream += Kermit::buildPacket({flags >> 2, type, body}, check);
    }
    return stream;
}

// C-Kermit's Send-Init and a file header: with it the input starts in the
// middle of a file, so the fuzzer need not find the way there first.
QByteArray preamble()
{
    return Kermit::buildPacket({0, 'S', "~/ @-#Y3~^>J)0___F\"U1A@"}, 1)
        + Kermit::buildPacket({1, 'F', "DATA.BIN"}, 3);
}

void receiveWith(const uint8_t *data, size_t size, uint8_t setup, bool started)
{
    static QTemporaryDir downloads;
    SinkLink link;
    ProtocolEngine engine;
    engine.setLink(&link);
    engine.setProtocolType(ProtocolType::Kermit);
    engine.setDestinationDirectory(downloads.path());
    engine.options().kermitMaxLen = (setup & 1) ? 9024 : 80;
    engine.options().kermitMaxWindows = (setup >> 1) & 31;
    engine.options().kermitStreaming = setup & 0x40;
    engine.options().honorDirectory = setup & 0x80;
    engine.startReceive();
    const QByteArray stream = (started ? preamble() : QByteArray()) + framedStream(data, size);
    const qsizetype cut = 1 + (setup & 0x3F) * 16;
    for (qsizetype at = 0; at < stream.size() && engine.inProgress(); at += cut)
        emit link.received(stream.mid(at, cut));
    if (engine.inProgress())
        engine.cancel();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir(downloads.path()).removeRecursively();
    QDir().mkpath(downloads.path());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    if (mode & 1)
        receiveWith(data + 2, size - 2, data[1], mode & 2);
    else
        readPackets(data + 2, size - 2, 1 + data[1] % 128, 1 + (mode >> 1) % 3);
    return 0;
}
