// The AVX-512 path: every class bit of 64 bytes from one 256-entry table,
// looked up with two vpermi2b.
#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_SCAN_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,bmi2,popcnt,lzcnt")))
#include "ScanChunks.h"

#include <immintrin.h>

namespace {

HEXMOTH_SCAN_TARGET inline std::uint64_t withBit(__m512i classes, int bit)
{
    return std::uint64_t(_mm512_test_epi8_mask(classes, _mm512_set1_epi8(char(bit))));
}

struct Avx512Classifier
{
    HEXMOTH_SCAN_TARGET static ChunkMasks classify(const unsigned char *chunk, const ScanState &state)
    {
        const __m512i raw = _mm512_loadu_si512(chunk);
        const __m512i low = _mm512_permutex2var_epi8(_mm512_loadu_si512(state.classes), raw, _mm512_loadu_si512(state.classes + 64));
        const __m512i high = _mm512_permutex2var_epi8(_mm512_loadu_si512(state.classes + 128), raw, _mm512_loadu_si512(state.classes + 192));
        const __m512i c = _mm512_mask_blend_epi8(_mm512_movepi8_mask(raw), low, high);
        ChunkMasks m;
        m.weight[0] = withBit(c, 1);
        m.weight[1] = withBit(c, 2);
        m.weight[2] = withBit(c, 4);
        m.weight[3] = withBit(c, 8);
        m.lead = withBit(c, ScanState::Lead);
        m.trail = withBit(c, ScanState::Trail);
        m.tab = withBit(c, ScanState::Tab);
        m.cr = withBit(c, ScanState::Cr);
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
