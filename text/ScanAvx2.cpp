// The AVX2 path: byte kinds by compares, the weights of ASCII bytes by
// eight 16-entry shuffles, every other byte at the largest of theirs.
#if defined(__x86_64__) || defined(__i386__)
#include "ScanFeatures.h"
#define HEXMOTH_SCAN_TARGET __attribute__((target(HEXMOTH_AVX2_FEATURES)))
#include "ScanChunks.h"

#include <immintrin.h>

namespace ScanAvx2 {
namespace {

// Signed bytes of v in [low, high].
HEXMOTH_SCAN_TARGET inline __m256i within(__m256i v, int low, int high)
{
    return _mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(char(low - 1))),
                            _mm256_cmpgt_epi8(_mm256_set1_epi8(char(high + 1)), v));
}

HEXMOTH_SCAN_TARGET inline std::uint64_t maskOf(__m256i v)
{
    return std::uint64_t(unsigned(_mm256_movemask_epi8(v)));
}

struct Avx2Classifier : PlaneWeigher
{
    HEXMOTH_SCAN_TARGET explicit Avx2Classifier(const ScanState &state)
        : PlaneWeigher(state)
        , highWeight(_mm256_set1_epi8(char(state.highWeight)))
    {
        for (int row = 0; row < 8; ++row)
            rows[row] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(state.classes + 16 * row)));
    }
    __m256i rows[8]; // classes of 00-7F, 16 to a row
    __m256i highWeight;

    HEXMOTH_SCAN_TARGET ChunkMasks classify(const unsigned char *chunk, std::uint8_t) const
    {
        ChunkMasks m{};
        for (int half = 0; half < 2; ++half) {
            const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(chunk + 32 * half));
            const __m256i b = _mm256_xor_si256(raw, _mm256_set1_epi8(char(0x80))); // see ScanSse2.cpp
            const int shift = 32 * half;
            m.lead |= maskOf(_mm256_or_si256(within(b, 0x01, 0x1F), within(b, 0x60, 0x7C))) << shift;
            m.trail |= maskOf(_mm256_or_si256(within(b, -0x40, -0x02), within(b, 0x00, 0x7C))) << shift;
            m.tab |= maskOf(_mm256_cmpeq_epi8(raw, _mm256_set1_epi8('\t'))) << shift;
            m.cr |= maskOf(_mm256_cmpeq_epi8(raw, _mm256_set1_epi8('\r'))) << shift;
            m.lf |= maskOf(_mm256_cmpeq_epi8(raw, _mm256_set1_epi8('\n'))) << shift;

            const __m256i low = _mm256_and_si256(raw, _mm256_set1_epi8(0x0F));
            const __m256i high = _mm256_and_si256(_mm256_srli_epi16(raw, 4), _mm256_set1_epi8(0x0F));
            __m256i weight = _mm256_setzero_si256();
            for (int row = 0; row < 8; ++row) {
                const __m256i found = _mm256_and_si256(_mm256_shuffle_epi8(rows[row], low), _mm256_set1_epi8(ScanState::WeightBits));
                weight = _mm256_or_si256(weight, _mm256_and_si256(found, _mm256_cmpeq_epi8(high, _mm256_set1_epi8(char(row)))));
            }
            weight = _mm256_blendv_epi8(weight, highWeight, raw);
            for (int bit = 0; bit < 4; ++bit) {
                const __m256i top = _mm256_slli_epi16(weight, 7 - bit);
                m.weight[bit] |= maskOf(top) << shift;
            }
        }
        return m;
    }
};

} // namespace

std::unique_ptr<ScanKernel> makeKernel()
{
    return std::make_unique<ChunkKernel<Avx2Classifier>>();
}

} // namespace ScanAvx2
#endif
