// UTF-16's runs 16 units at a time: the units that end a run found by
// unsigned compares, the advances gathered from the table and added up.
#include "EncodedRuns.h"
#include "ScanFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace EncodedRuns {
namespace {

#define HEXMOTH_RUN_TARGET __attribute__((target(HEXMOTH_AVX2_FEATURES)))

HEXMOTH_RUN_TARGET inline __m256i atMost(__m256i u, short limit)
{
    return _mm256_cmpeq_epi16(_mm256_min_epu16(u, _mm256_set1_epi16(limit)), u);
}

// Whether every unit of u may be taken in a run, as far as the units go.
HEXMOTH_RUN_TARGET inline bool plainUnits(__m256i u, bool kerned)
{
    const __m256i low = atMost(u, kerned ? 0x7F : 0x1F);
    const __m256i surrogate = atMost(_mm256_sub_epi16(u, _mm256_set1_epi16(short(0xD800))), 0x7FF);
    const __m256i del = _mm256_cmpeq_epi16(u, _mm256_set1_epi16(0x7F));
    return _mm256_testz_si256(_mm256_or_si256(_mm256_or_si256(low, surrogate), del), _mm256_set1_epi8(-1));
}

HEXMOTH_RUN_TARGET inline qint64 sum(__m256i v)
{
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
    return _mm_cvtsi128_si32(s);
}

template<bool BigEndian>
HEXMOTH_RUN_TARGET qint64 utf16Vector(const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,
                                          1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const auto *table = reinterpret_cast<const int *>(sums.basicPlane);
    for (; at + 32 <= end; at += 32) {
        __m256i u = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + at));
        if (BigEndian)
            u = _mm256_shuffle_epi8(u, swap);
        if (!plainUnits(u, sums.kerned))
            break;
        const __m256i low = _mm256_i32gather_epi32(table, _mm256_cvtepu16_epi32(_mm256_castsi256_si128(u)), 4);
        const __m256i high = _mm256_i32gather_epi32(table, _mm256_cvtepu16_epi32(_mm256_extracti128_si256(u, 1)), 4);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_or_si256(low, high))) != 0)
            break; // an advance not measured yet
        sums.x += sum(_mm256_add_epi32(low, high));
        sums.count += 16;
    }
    return utf16<BigEndian>(p, at, end, sums);
}

} // namespace

qint64 utf16Avx2(bool bigEndian, const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    return bigEndian ? utf16Vector<true>(p, at, end, sums) : utf16Vector<false>(p, at, end, sums);
}

} // namespace EncodedRuns
#endif
