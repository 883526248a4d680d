// UTF-16's runs 16 units at a time: the units that end a run found by
// unsigned compares, the advances gathered from the table and added up.
#if defined(__x86_64__) || defined(__i386__)
#include "EncodedRunsAvx2.h"

namespace EncodedRuns {
namespace {

HEXMOTH_RUN_TARGET inline __m256i atMost(__m256i u, short limit)
{
    return _mm256_cmpeq_epi16(_mm256_min_epu16(u, _mm256_set1_epi16(limit)), u);
}

// Two bits for each of 16 units that a run may not take, as far as the units go.
HEXMOTH_RUN_TARGET inline quint32 stoppingUnits(__m256i u, bool kerned)
{
    const __m256i low = atMost(u, kerned ? 0x7F : 0x1F);
    const __m256i surrogate = atMost(_mm256_sub_epi16(u, _mm256_set1_epi16(short(0xD800))), 0x7FF);
    const __m256i del = _mm256_cmpeq_epi16(u, _mm256_set1_epi16(0x7F));
    return quint32(_mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(low, surrogate), del)));
}

// The advances of 8 units (half 0 or 1 of u), those from `taken` on as 0.
HEXMOTH_RUN_TARGET inline __m256i advances(const qint32 *plane, __m256i u, int half, __m256i taken)
{
    const __m256i lanes = half ? _mm256_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15) : _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i index = _mm256_cvtepu16_epi32(half ? _mm256_extracti128_si256(u, 1) : _mm256_castsi256_si128(u));
    return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int *>(plane), index,
                                       _mm256_cmpgt_epi32(taken, lanes), 4);
}

// 16 units at a time in one loop: the units up to the first a run may not
// take, their advances gathered (masked in the last load), so that a line
// costs one mispredicted branch, where it ends.
template<bool BigEndian>
HEXMOTH_RUN_TARGET qint64 utf16Vector(const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,
                                          1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    __m256i x = _mm256_setzero_si256(); // a run is short enough for 32-bit lanes
    __m256i signs = _mm256_setzero_si256();
    qint64 stop = at;
    for (; stop + 32 <= end; stop += 32) {
        __m256i u = Avx2::load(p + stop);
        if (BigEndian)
            u = _mm256_shuffle_epi8(u, swap);
        const int taken = int(_tzcnt_u32(stoppingUnits(u, sums.kerned))) / 2;
        const __m256i low = advances(sums.basicPlane, u, 0, _mm256_set1_epi32(taken));
        const __m256i high = advances(sums.basicPlane, u, 1, _mm256_set1_epi32(taken));
        x = _mm256_add_epi32(x, _mm256_add_epi32(low, high));
        signs = _mm256_or_si256(signs, _mm256_or_si256(low, high));
        if (taken < 16) {
            stop += 2 * taken;
            break;
        }
    }
    if (_mm256_movemask_ps(_mm256_castsi256_ps(signs)) == 0) { // else an advance not measured yet: the plain run stops there
        sums.x += Avx2::sum(x);
        sums.count += (stop - at) / 2;
        at = stop;
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
