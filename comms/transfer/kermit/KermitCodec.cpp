#include "comms/transfer/kermit/KermitCodec.h"

#include "comms/transfer/kermit/KermitPacket.h"

KermitCodec::KermitCodec(char qctl, char qbin, char rept)
    : qctl_(qctl)
    , qbin_(qbin)
    , rept_(rept)
{
    for (int b = 0; b < 256; ++b) {
        Unit &unit = units_[b];
        int n = 0;
        const int c7 = b & 0x7F;
        char c = static_cast<char>(b);
        if (qbin_ && (b & 0x80)) {
            unit.bytes[n++] = qbin_;
            c = static_cast<char>(c7);
        }
        if (c7 < 32 || c7 == 127) {
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
    qsizetype i = 0;
    while (i < n) {
        char c = p[i++];
        int count = 1;
        if (rept_ && c == rept_) {
            if (i + 1 >= n)
                return false;
            count = Kermit::unChar(p[i++]);
            if (count < 0 || count > 94)
                return false;
            c = p[i++];
        }
        char high = 0;
        if (qbin_ && c == qbin_) {
            if (i >= n)
                return false;
            high = static_cast<char>(0x80);
            c = p[i++];
        }
        if (c == qctl_) {
            if (i >= n)
                return false;
            c = p[i++];
            const int c7 = c & 0x7F;
            if ((c7 >= 0x40 && c7 <= 0x5F) || c7 == 0x3F)
                c = Kermit::ctl(c);
        }
        out.append(count, static_cast<char>(c | high));
    }
    return true;
}
