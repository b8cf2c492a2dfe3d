#include "comms/transfer/kermit/KermitCodec.h"

#include "comms/transfer/kermit/KermitPacket.h"

#include <cstring>

namespace {

// Control characters that lines, terminal drivers, modems or telnet act on:
// NUL, MARK, the interrupt, end-of-file, line-kill, cancel and suspend keys,
// CR and LF, shift, DLE, XON and XOFF, telnet's escape; their 8-bit forms
// where a line that strips the 8th bit would turn them into the same; DEL
// with the 8th bit (telnet's IAC). The others pass unprefixed, as C-Kermit
// sends them, which saves a byte in eight of random data.
constexpr std::array<bool, 256> makeRiskyControls()
{
    std::array<bool, 256> risky{};
    for (const int c : {0, 1, 3, 4, 10, 13, 14, 15, 16, 17, 19, 21, 24, 25, 26, 28, 29, 30})
        risky[c] = true;
    for (const int c : {1, 3, 4, 10, 13, 16, 17, 19, 21, 26, 28, 29, 30})
        risky[c | 0x80] = true;
    risky[0xFF] = true;
    return risky;
}

constexpr std::array<bool, 256> riskyControls = makeRiskyControls();

} // namespace

bool KermitCodec::needsPrefix(unsigned char byte)
{
    return riskyControls[byte];
}

KermitCodec::KermitCodec(char qctl, char qbin, char rept)
    : qctl_(qctl)
    , qbin_(qbin)
    , rept_(rept)
{
    // A repeat prefix is looked for first, then QBIN, then QCTL.
    roles_[static_cast<unsigned char>(qctl_)] = ControlPrefix;
    if (qbin_)
        roles_[static_cast<unsigned char>(qbin_)] = OtherPrefix;
    if (rept_)
        roles_[static_cast<unsigned char>(rept_)] = OtherPrefix;
    for (int b = 0; b < 256; ++b) {
        const int c7 = b & 0x7F;
        const char c = static_cast<char>(b);
        unquoted_[b] = (c7 >= 0x40 && c7 <= 0x5F) || c7 == 0x3F ? Kermit::ctl(c) : c;
    }
    for (int b = 0; b < 256; ++b) {
        Unit &unit = units_[b];
        int n = 0;
        const int c7 = b & 0x7F;
        char c = static_cast<char>(b);
        if (qbin_ && (b & 0x80)) {
            unit.bytes[n++] = qbin_;
            c = static_cast<char>(c7);
        }
        if (needsPrefix(static_cast<unsigned char>(c))) {
            unit.bytes[n++] = qctl_;
            c = Kermit::ctl(c);
        } else if (c7 == qctl_ || (qbin_ && c7 == qbin_) || (rept_ && c7 == rept_)) {
            unit.bytes[n++] = qctl_;
        }
        unit.bytes[n++] = c;
        unit.length = static_cast<quint8>(n);
    }
}

qsizetype KermitCodec::encode(const char *src, qsizetype length, int maxData, QByteArray &out) const
{
    const qsizetype base = out.size();
    out.resize(base + maxData);
    char *dst = out.data() + base;
    int used = 0;
    qsizetype i = 0;
    while (i < length) {
        const unsigned char b = static_cast<unsigned char>(src[i]);
        const Unit &unit = units_[b];
        int run = 1;
        if (rept_) {
            const qsizetype limit = qMin<qsizetype>(length - i, 94);
            while (run < limit && static_cast<unsigned char>(src[i + run]) == b)
                ++run;
        }
        if (run >= 3) {
            if (used + 2 + unit.length > maxData)
                break;
            dst[used++] = rept_;
            dst[used++] = Kermit::toChar(run);
        } else {
            run = 1;
            if (used + unit.length > maxData)
                break;
        }
        for (int k = 0; k < unit.length; ++k)
            dst[used++] = unit.bytes[k];
        i += run;
    }
    out.resize(base + used);
    return i;
}

QByteArray KermitCodec::encode(const QByteArray &src) const
{
    QByteArray out;
    const int room = static_cast<int>(qMin<qsizetype>(src.size() * 3 + 3, 1 << 20));
    encode(src.constData(), src.size(), room, out);
    return out;
}

bool KermitCodec::decode(const QByteArray &field, QByteArray &out) const
{
    const char *p = field.constData();
    const qsizetype n = field.size();
    const qsizetype base = out.size();
    // Room for what is decoded so far plus one byte per field byte left; only
    // a repeat count makes more than that, and it grows the room first.
    qsizetype room = n;
    out.resize(base + room);
    char *dst = out.data() + base;
    qsizetype used = 0;
    qsizetype i = 0;
    bool ok = true;
    while (i < n) {
        char c = p[i++];
        const Role role = roles_[static_cast<unsigned char>(c)];
        if (role == Literal) {
            dst[used++] = c;
            continue;
        }
        if (role == ControlPrefix) {
            if (i >= n) {
                ok = false;
                break;
            }
            dst[used++] = unquoted_[static_cast<unsigned char>(p[i++])];
            continue;
        }
        int count = 1;
        if (rept_ && c == rept_) {
            if (i + 1 >= n) {
                ok = false;
                break;
            }
            count = Kermit::unChar(p[i++]);
            if (count < 0 || count > 94) {
                ok = false;
                break;
            }
            c = p[i++];
        }
        char high = 0;
        if (qbin_ && c == qbin_) {
            if (i >= n) {
                ok = false;
                break;
            }
            high = static_cast<char>(0x80);
            c = p[i++];
        }
        if (c == qctl_) {
            if (i >= n) {
                ok = false;
                break;
            }
            c = unquoted_[static_cast<unsigned char>(p[i++])];
        }
        const char byte = static_cast<char>(c | high);
        if (count == 1) {
            dst[used++] = byte;
            continue;
        }
        if (used + count + (n - i) > room) {
            room = qMax(room * 2, used + count + (n - i));
            out.resize(base + room);
            dst = out.data() + base;
        }
        std::memset(dst + used, static_cast<unsigned char>(byte), count);
        used += count;
    }
    out.resize(base + used);
    return ok;
}
