#pragma once

#include <QtGlobal>

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A small set of byte values, found in a buffer eight bytes at a time: byte
// c belongs to the class when (c & mask) == value for one of three patterns
// (repeat a pattern when fewer are needed). Lets the encoder and decoder
// copy the plain runs between bytes that need a closer look a block at a
// time.
class ByteClass {
public:
    struct Pattern {
        quint8 mask;
        quint8 value;
    };

    constexpr ByteClass(Pattern a, Pattern b, Pattern c)
        : patterns_{a, b, c}
        , masks_{spread(a.mask), spread(b.mask), spread(c.mask)}
        , values_{spread(a.value), spread(b.value), spread(c.value)}
    { }

    bool contains(quint8 c) const
    {
        return (c & patterns_[0].mask) == patterns_[0].value || (c & patterns_[1].mask) == patterns_[1].value
            || (c & patterns_[2].mask) == patterns_[2].value;
    }

    // Copies bytes from in to out up to the first byte of the class and
    // returns how many it copied (n when none is in the class). out must
    // have room for n bytes; those past the copied ones may be overwritten.
    Q_ALWAYS_INLINE qsizetype copyUntil(const quint8 *in, qsizetype n, quint8 *out) const
    {
        constexpr quint64 lows = 0x0101010101010101u;
        constexpr quint64 highs = 0x8080808080808080u;
        const quint64 m0 = masks_[0], m1 = masks_[1], m2 = masks_[2];
        const quint64 v0 = values_[0], v1 = values_[1], v2 = values_[2];
        qsizetype i = 0;
#if defined(__SSE2__)
        // Sixteen bytes at a time where SSE2 is there (every x86-64).
        const __m128i wm0 = _mm_set1_epi64x(qint64(m0)), wm1 = _mm_set1_epi64x(qint64(m1)),
                      wm2 = _mm_set1_epi64x(qint64(m2));
        const __m128i wv0 = _mm_set1_epi64x(qint64(v0)), wv1 = _mm_set1_epi64x(qint64(v1)),
                      wv2 = _mm_set1_epi64x(qint64(v2));
        for (; i + 16 <= n; i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), block);
            const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_and_si128(block, wm0), wv0),
                                                  _mm_cmpeq_epi8(_mm_and_si128(block, wm1), wv1)),
                _mm_cmpeq_epi8(_mm_and_si128(block, wm2), wv2));
            const int found = _mm_movemask_epi8(hits);
            if (found != 0)
                return i + std::countr_zero(unsigned(found));
        }
#endif
        for (; i + 8 <= n; i += 8) {
            quint64 word;
            std::memcpy(&word, in + i, 8);
            std::memcpy(out + i, &word, 8);
            // A byte of xk is zero where the byte matches pattern k. The
            // lowest flag of (x - lows) & ~x & highs marks the first zero
            // byte exactly; flags above it may be spurious.
            const quint64 x0 = (word & m0) ^ v0;
            const quint64 x1 = (word & m1) ^ v1;
            const quint64 x2 = (word & m2) ^ v2;
            const quint64 zeroes = (((x0 - lows) & ~x0) | ((x1 - lows) & ~x1) | ((x2 - lows) & ~x2)) & highs;
            if (zeroes != 0) {
                if constexpr (std::endian::native == std::endian::little)
                    return i + std::countr_zero(zeroes) / 8;
                else
                    return i + std::countl_zero(zeroes) / 8;
            }
        }
        for (; i < n && !contains(in[i]); ++i)
            out[i] = in[i];
        return i;
    }

private:
    static constexpr quint64 spread(quint8 byte)
    {
        return byte * quint64(0x0101010101010101u);
    }

    Pattern patterns_[3];
    quint64 masks_[3];
    quint64 values_[3];
};
