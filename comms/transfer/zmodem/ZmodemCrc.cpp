#include "comms/transfer/zmodem/ZmodemCrc.h"

#include <QtEndian>

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace {

// Eight tables for slicing-by-8: table[k][b] is the CRC of byte b followed
// by k zero bytes.
using Crc32Tables = std::array<std::array<quint32, 256>, 8>;

constexpr Crc32Tables makeCrc32Tables()
{
    Crc32Tables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
        t[0][i] = crc;
    }
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xff];
    return t;
}

constexpr Crc32Tables crc32Tables = makeCrc32Tables();

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

// Carry-less multiplication (PCLMULQDQ) folds 16-byte blocks: a block's
// polynomial is moved 128 bits forward by multiplying with x^(128+-32) mod P
// and added to the next block; the last 128 bits are reduced to the 32-bit
// register with two more folds and a Barrett reduction. Everything is in
// the reflected bit order of the register.

constexpr quint64 polynomial = 0x104c11db7u;

constexpr quint64 reflect(quint64 value, int bits)
{
    quint64 out = 0;
    for (int i = 0; i < bits; ++i)
        out |= ((value >> i) & 1) << (bits - 1 - i);
    return out;
}

// x^exponent mod P, reflected, times x: the product of two reflected
// 64-bit values comes out one bit short.
constexpr quint64 foldConstant(int exponent)
{
    quint64 r = 1;
    for (int i = 0; i < exponent; ++i) {
        r <<= 1;
        if (r & 0x100000000u)
            r ^= polynomial;
    }
    return reflect(r, 32) << 1;
}

// floor(x^64 / P), reflected over its 33 bits.
constexpr quint64 barrettQuotient()
{
    quint64 remainder = 0;
    quint64 quotient = 0;
    for (int bit = 64; bit >= 0; --bit) {
        remainder = (remainder << 1) | (bit == 64 ? 1 : 0);
        if (remainder & 0x100000000u) {
            remainder ^= polynomial;
            quotient |= quint64(1) << bit;
        }
    }
    return reflect(quotient, 33);
}

bool hasCarrylessMultiply()
{
    static const bool has = __builtin_cpu_supports("pclmul");
    return has;
}

__attribute__((target("pclmul"))) quint32 foldBlocks(quint32 crc, const quint8 *data, qsizetype blocks)
{
    const __m128i byBlock = _mm_set_epi64x(qint64(foldConstant(128 - 32)), qint64(foldConstant(128 + 32)));
    const __m128i byHalf = _mm_set_epi64x(0, qint64(foldConstant(64)));
    const __m128i barrett = _mm_set_epi64x(qint64(barrettQuotient()), qint64(reflect(polynomial, 33)));
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    const auto *block = reinterpret_cast<const __m128i *>(data);

    __m128i x = _mm_xor_si128(_mm_loadu_si128(block), _mm_cvtsi32_si128(int(crc)));
    for (qsizetype b = 1; b < blocks; ++b) {
        const __m128i early = _mm_clmulepi64_si128(x, byBlock, 0x00);
        const __m128i late = _mm_clmulepi64_si128(x, byBlock, 0x11);
        x = _mm_xor_si128(_mm_xor_si128(early, late), _mm_loadu_si128(block + b));
    }
    // 128 bits to 96, then to 64.
    x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, byBlock, 0x10));
    const __m128i high = _mm_srli_si128(x, 4);
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), byHalf, 0x00), high);
    // Barrett: subtract floor(x / P) * P.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
    x = _mm_xor_si128(x, t);
    return quint32(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

#endif

} // namespace

namespace ZmodemCrc {

quint32 crc32Update(quint32 crc, const quint8 *data, qsizetype length)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (length >= 64 && hasCarrylessMultiply()) {
        const qsizetype blocks = length / 16;
        crc = foldBlocks(crc, data, blocks);
        data += blocks * 16;
        length -= blocks * 16;
    }
#endif
    const auto &t = crc32Tables;
    while (length >= 8) {
        quint32 lo;
        quint32 hi;
        std::memcpy(&lo, data, 4);
        std::memcpy(&hi, data + 4, 4);
        lo = qFromLittleEndian(lo);
        hi = qFromLittleEndian(hi);
        lo ^= crc;
        crc = t[7][lo & 0xff] ^ t[6][(lo >> 8) & 0xff] ^ t[5][(lo >> 16) & 0xff] ^ t[4][lo >> 24]
            ^ t[3][hi & 0xff] ^ t[2][(hi >> 8) & 0xff] ^ t[1][(hi >> 16) & 0xff] ^ t[0][hi >> 24];
        data += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *data++) & 0xff];
    return crc;
}

} // namespace ZmodemCrc
