#include "comms/transfer/kermit/KermitPacket.h"

#include <array>
#include <cstring>

namespace Kermit {

namespace {

// crcTables[k][b] is the remainder of byte b followed by k zero bytes, so
// eight bytes take eight independent look-ups; crcTables[0] alone serves
// byte by byte.
using CrcTables = std::array<std::array<quint16, 256>, 8>;

constexpr CrcTables makeCrcTables()
{
    CrcTables tables{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = static_cast<quint16>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ 0x8408) : static_cast<quint16>(crc >> 1);
        tables[0][i] = crc;
    }
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i) {
            const quint16 prev = tables[k - 1][i];
            tables[k][i] = static_cast<quint16>((prev >> 8) ^ tables[0][prev & 0xFF]);
        }
    return tables;
}

constexpr CrcTables crcTables = makeCrcTables();

char fold6(unsigned sum)
{
    return toChar(static_cast<int>((sum + ((sum & 0xC0) >> 6)) & 0x3F));
}

unsigned byteSum(const char *bytes, int length)
{
    unsigned sum = 0;
    for (int i = 0; i < length; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    return sum;
}

// Writes checkType characters of block check to out.
void computeCheck(const char *bytes, int length, int checkType, char *out)
{
    if (checkType == 3) {
        const quint16 crc = crc16(bytes, length);
        out[0] = toChar((crc >> 12) & 0x0F);
        out[1] = toChar((crc >> 6) & 0x3F);
        out[2] = toChar(crc & 0x3F);
    } else if (checkType == 2) {
        const unsigned sum = byteSum(bytes, length) & 0xFFF;
        out[0] = toChar(static_cast<int>(sum >> 6));
        out[1] = toChar(static_cast<int>(sum & 0x3F));
    } else {
        out[0] = fold6(byteSum(bytes, length));
    }
}

bool checkMatches(const char *covered, int length, const char *check, int checkType)
{
    char expected[3];
    computeCheck(covered, length, checkType, expected);
    return std::memcmp(expected, check, checkType) == 0;
}

} // namespace

quint16 crc16(const char *bytes, int length)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    unsigned crc = 0;
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        crc ^= p[i] | (p[i + 1] << 8);
        crc = crcTables[7][crc & 0xFF] ^ crcTables[6][crc >> 8] ^ crcTables[5][p[i + 2]]
            ^ crcTables[4][p[i + 3]] ^ crcTables[3][p[i + 4]] ^ crcTables[2][p[i + 5]]
            ^ crcTables[1][p[i + 6]] ^ crcTables[0][p[i + 7]];
    }
    for (; i < length; ++i)
        crc = (crc >> 8) ^ crcTables[0][(crc ^ p[i]) & 0xFF];
    return static_cast<quint16>(crc);
}

void appendCheck(QByteArray &out, const char *bytes, int length, int checkType)
{
    char check[3];
    computeCheck(bytes, length, checkType, check);
    out.append(check, checkType);
}

int maxDataLength(int maxLength, int checkType)
{
    if (maxLength <= 94)
        return qMax(1, maxLength - 2 - checkLength(checkType));
    // Extended header: LEN SEQ TYPE LENX1 LENX2 HCHECK.
    return qMax(1, qMin(maxLength, MaxExtendedLength) - 5 - checkLength(checkType));
}

QByteArray buildPacket(const Packet &packet, int checkType, char eol, int pad, char padChar)
{
    const int n = static_cast<int>(packet.data.size());
    const int c = checkLength(checkType);
    QByteArray out;
    out.reserve(pad + n + 12);
    out.append(pad, padChar);
    out.append(Mark);
    const qsizetype covered = out.size();
    if (n + 2 + c <= 94) {
        out.append(toChar(n + 2 + c));
        out.append(toChar(packet.seq & 63));
        out.append(packet.type);
    } else {
        const int lx = n + c;
        out.append(toChar(0));
        out.append(toChar(packet.seq & 63));
        out.append(packet.type);
        out.append(toChar(lx / 95));
        out.append(toChar(lx % 95));
        out.append(fold6(byteSum(out.constData() + covered, 5)));
    }
    out.append(packet.data);
    appendCheck(out, out.constData() + covered, static_cast<int>(out.size() - covered), checkType);
    if (eol)
        out.append(eol);
    return out;
}

bool PacketReader::takeOne(Result *result)
{
    for (;;) {
        const char *base = buffer_.constData();
        const qsizetype size = buffer_.size();
        const void *found = start_ < size ? std::memchr(base + start_, Mark, size - start_) : nullptr;
        if (!found) {
            start_ = size;
            return false;
        }
        const qsizetype pos = static_cast<const char *>(found) - base;
        start_ = pos;
        const qsizetype avail = size - pos;
        // Senders always prefix MARK in data, so a MARK within a packet means
        // this one was cut short and a new one begins there.
        auto restartsWithin = [&](qsizetype span) -> qsizetype {
            const qsizetype n = qMin(span, avail) - 1;
            const void *m = n > 0 ? std::memchr(base + pos + 1, Mark, n) : nullptr;
            return m ? static_cast<const char *>(m) - base : -1;
        };
        auto rejectAt = [&](qsizetype next) {
            start_ = next;
            *result = Result();
            return true;
        };

        if (avail < 2)
            return false;
        const int len = unChar(base[pos + 1]);
        const int type1Check = 1;
        qsizetype headerEnd; // index of the first data byte
        qsizetype total; // bytes from MARK through the check
        if (len == 0) {
            if (const qsizetype m = restartsWithin(7); m >= 0)
                return rejectAt(m);
            if (avail < 7)
                return false;
            const char hcheck = fold6(byteSum(base + pos + 1, 5));
            if (hcheck != base[pos + 6])
                return rejectAt(pos + 1);
            const int lx1 = unChar(base[pos + 4]);
            const int lx2 = unChar(base[pos + 5]);
            if (lx1 < 0 || lx1 > 95 || lx2 < 0 || lx2 > 94)
                return rejectAt(pos + 1);
            headerEnd = pos + 7;
            total = 7 + 95 * lx1 + lx2;
        } else {
            // 95 (DEL) is one beyond the protocol's limit, but C-Kermit sends it.
            if (len < 3 || len > 95)
                return rejectAt(pos + 1);
            headerEnd = pos + 4;
            total = 2 + len;
        }
        if (const qsizetype m = restartsWithin(total); m >= 0)
            return rejectAt(m);
        if (avail < total)
            return false;

        const char type = base[pos + 3];
        const int seq = unChar(base[pos + 2]);
        const qsizetype end = pos + total;
        auto tryCheck = [&](int checkType) {
            const qsizetype dataLength = end - checkType - headerEnd;
            if (dataLength < 0)
                return false;
            if (!checkMatches(base + pos + 1, static_cast<int>(end - checkType - pos - 1),
                    base + end - checkType, checkType))
                return false;
            result->packet.seq = seq;
            result->packet.type = type;
            result->packet.data = QByteArray(base + headerEnd, dataLength);
            return true;
        };
        const int wanted = (type == 'S' || type == 'I') ? type1Check : checkType_;
        const bool seqOk = seq >= 0 && seq < 64;
        bool ok = seqOk && tryCheck(wanted);
        // An error packet may come from a side still on another check type.
        for (int other = 1; seqOk && !ok && type == 'E' && other <= 3; ++other)
            ok = other != wanted && tryCheck(other);
        if (!ok)
            return rejectAt(pos + 1);
        result->ok = true;
        start_ = end;
        return true;
    }
}

} // namespace Kermit
