#pragma once

// What the AVX2 runs of the encodings share (EncodedRuns*Avx2.cpp only):
// 32 bytes classified at once, the characters a run may take packed into
// a list of 16-bit keys, whose advances a plain loop then adds up.
#include "EncodedRuns.h"
#include "ScanFeatures.h"

#include <array>
#include <immintrin.h>

#define HEXMOTH_RUN_TARGET __attribute__((target(HEXMOTH_AVX2_FEATURES)))

namespace EncodedRuns::Avx2 {

// What a run may take of 32 bytes: `covered`, the bytes of characters it
// may take, from the start up to the first other byte (and the bytes that
// the characters of the chunk before carry in); `starts`, their first
// bytes; `carry`, the bytes a character at the end carries into the next
// chunk (as its low bits). keys[] hold the 16-bit key of a character
// starting at each byte (anything where none starts) in the order of
// unpacking bytes to words: keys[0] bytes 0-7 and 16-23, keys[1] bytes 8-15
// and 24-31.
struct Chunk
{
    quint32 covered;
    quint32 starts;
    quint32 carry;
    __m256i keys[2];
};

// The printable ASCII bytes a run may take: none where the font kerns them.
HEXMOTH_RUN_TARGET inline quint32 plainAscii(__m256i b, bool kerned)
{
    if (kerned)
        return 0;
    const __m256i printable = _mm256_cmpgt_epi8(b, _mm256_set1_epi8(0x1F)); // bytes from 80 are negative
    return quint32(_mm256_movemask_epi8(_mm256_andnot_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8(0x7F)), printable)));
}

// pshufb masks that pack the 16-bit lanes picked by an 8-bit mask to the front.
constexpr std::array<std::array<quint8, 16>, 256> packingMasks()
{
    std::array<std::array<quint8, 16>, 256> masks{};
    for (int mask = 0; mask < 256; ++mask) {
        int to = 0;
        for (int lane = 0; lane < 8; ++lane)
            if (mask >> lane & 1) {
                masks[mask][to++] = quint8(2 * lane);
                masks[mask][to++] = quint8(2 * lane + 1);
            }
        while (to < 16)
            masks[mask][to++] = 0x80;
    }
    return masks;
}

// Appends the keys of the characters `starts` to `out`, which has room for
// 8 keys past the last; returns how many.
HEXMOTH_RUN_TARGET inline int pack(quint32 starts, const __m256i (&keys)[2], char16_t *out)
{
    alignas(16) static constexpr auto Masks = packingMasks();
    int n = 0;
    for (int quarter = 0; quarter < 4; ++quarter) {
        const __m256i words = keys[quarter % 2];
        const __m128i eight = quarter / 2 ? _mm256_extracti128_si256(words, 1) : _mm256_castsi256_si128(words);
        const quint32 mask = starts >> (8 * quarter) & 0xFF;
        const __m128i packed = _mm_shuffle_epi8(eight, _mm_load_si128(reinterpret_cast<const __m128i *>(Masks[mask].data())));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + n), packed);
        n += _mm_popcnt_u32(mask);
    }
    return n;
}

HEXMOTH_RUN_TARGET inline __m256i load(const unsigned char *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}

HEXMOTH_RUN_TARGET inline qint64 sum(__m256i v)
{
    const __m256i wide = _mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(v)), _mm256_cvtepi32_epi64(_mm256_extracti128_si256(v, 1)));
    const __m128i s = _mm_add_epi64(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
    return _mm_cvtsi128_si64(_mm_add_epi64(s, _mm_unpackhi_epi64(s, s)));
}

// A run's characters from `at`, chunk by chunk (32 bytes apart, so that
// the next load never waits for this one's result), their keys in `keys`:
// until a chunk stops short, `keys` has some Segment filled, or fewer than
// 32 + lookahead bytes are left before `end`.
struct Segment
{
    static constexpr int Keys = 1024;
    qint64 end;   // after the last character
    int count;    // of the characters
    bool stopped; // at a byte no character of the run covers
};

template<class Classify>
HEXMOTH_RUN_TARGET inline Segment segment(const unsigned char *p, qint64 at, qint64 end, int lookahead, Classify classify, char16_t *keys)
{
    quint32 carry = 0;
    int n = 0;
    for (; n < Segment::Keys && at + 32 + lookahead <= end; at += 32) {
        const Chunk chunk = classify(p + at, carry);
        const quint32 length = _tzcnt_u32(~chunk.covered);
        n += pack(_bzhi_u32(chunk.starts, length), chunk.keys, keys + n);
        if (length < 32)
            return {at + length, n, true};
        carry = chunk.carry;
    }
    return {at + _mm_popcnt_u32(carry), n, false};
}

// The run: segments of chunks classified by classify(p + at, carry),
// reading `lookahead` bytes past each, their characters' advances
// advance(key) (< 0: the run may not take it) added up by plain loads
// (gathers from the packed keys go slower: each waits for the stores that
// packed them). A segment with an advance < 0 is left to the plain run,
// which stops at its character, and so is what is left near `end`.
template<class Classify, class Advance>
HEXMOTH_RUN_TARGET inline qint64 vectorRun(const unsigned char *p, qint64 at, qint64 end, Sums &sums, int lookahead,
                                           Classify classify, Advance advance)
{
    char16_t keys[Segment::Keys + 40];
    for (;;) {
        const Segment s = segment(p, at, end, lookahead, classify, keys);
        qint64 x = 0;
        qint32 signs = 0;
        for (int i = 0; i < s.count; ++i) {
            const qint32 a = advance(keys[i]);
            x += a;
            signs |= a;
        }
        if (signs < 0)
            return at;
        sums.x += x;
        sums.count += s.count;
        if (s.stopped || s.end == at)
            return s.end;
        at = s.end;
    }
}

} // namespace EncodedRuns::Avx2
