// The AVX-512 path: every class bit of 64 bytes from one 256-entry table,
// looked up with two vpermi2b.
#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_SCAN_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,bmi2,popcnt,lzcnt")))
#include "ScanChunks.h"

#include <immintrin.h>

namespace {

// The bytes whose class has bit `bit` set, shifted to the top of each byte
// (no constant to load).
template<int bit>
HEXMOTH_SCAN_TARGET inline std::uint64_t withBit(__m512i classes)
{
    return std::uint64_t(_mm512_movepi8_mask(_mm512_slli_epi16(classes, 7 - bit)));
}

struct Avx512Classifier
{
    HEXMOTH_SCAN_TARGET explicit Avx512Classifier(const ScanState &state)
    {
        for (int quarter = 0; quarter < 4; ++quarter)
            table[quarter] = _mm512_loadu_si512(state.classes + 64 * quarter);
    }
    __m512i table[4]; // the classes of 00-FF

    HEXMOTH_SCAN_TARGET ChunkMasks classify(const unsigned char *chunk) const
    {
        const __m512i raw = _mm512_loadu_si512(chunk);
        const __m512i low = _mm512_permutex2var_epi8(table[0], raw, table[1]);
        const __m512i high = _mm512_permutex2var_epi8(table[2], raw, table[3]);
        const __m512i c = _mm512_mask_blend_epi8(_mm512_movepi8_mask(raw), low, high);
        ChunkMasks m;
        m.weight[0] = withBit<0>(c);
        m.weight[1] = withBit<1>(c);
        m.weight[2] = withBit<2>(c);
        m.weight[3] = withBit<3>(c);
        m.lead = withBit<4>(c);
        m.trail = withBit<5>(c);
        m.tab = withBit<6>(c);
        m.cr = std::uint64_t(_mm512_movepi8_mask(c));
        m.lf = _mm512_cmpeq_epi8_mask(raw, _mm512_set1_epi8('\n'));
        return m;
    }
};

} // namespace

HEXMOTH_SCAN_TARGET void scanBlockAvx512(ScanState &state, const unsigned char *block, qint64 n)
{
    scanBlock<Avx512Classifier>(state, block, n);
}
#endif
