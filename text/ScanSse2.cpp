// The path for any x86-64 processor: the byte kinds by SSE2 compares, the
// weights by table, 8 bytes at a time (SSE2 has no byte shuffle).
#if defined(__x86_64__) || defined(__i386__)
#include "ScanFeatures.h"
#define HEXMOTH_SCAN_TARGET __attribute__((target(HEXMOTH_SSE2_FEATURES)))
#define HEXMOTH_SCAN_NO_POPCNT
#include "ScanChunks.h"

#include <immintrin.h>

namespace ScanSse2 {
namespace {

// Signed bytes of v in [low, high].
HEXMOTH_SCAN_TARGET inline __m128i within(__m128i v, int low, int high)
{
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(char(low - 1))), _mm_cmplt_epi8(v, _mm_set1_epi8(char(high + 1))));
}

struct Sse2Classifier : PlaneWeigher
{
    HEXMOTH_SCAN_TARGET explicit Sse2Classifier(const ScanState &state) : PlaneWeigher(state) {}

    HEXMOTH_SCAN_TARGET ChunkMasks classify(const unsigned char *chunk, std::uint8_t) const
    {
        ChunkMasks m{};
        for (int part = 0; part < 4; ++part) {
            const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i *>(chunk + 16 * part));
            // With the top bit flipped, lead bytes are 01-1F and 60-7C as
            // signed bytes, trail bytes C0-FE (40-7E) and 00-7C (80-FC).
            const __m128i b = _mm_xor_si128(raw, _mm_set1_epi8(char(0x80)));
            const __m128i lead = _mm_or_si128(within(b, 0x01, 0x1F), within(b, 0x60, 0x7C));
            const __m128i trail = _mm_or_si128(within(b, -0x40, -0x02), within(b, 0x00, 0x7C));
            const int shift = 16 * part;
            m.lead |= std::uint64_t(unsigned(_mm_movemask_epi8(lead))) << shift;
            m.trail |= std::uint64_t(unsigned(_mm_movemask_epi8(trail))) << shift;
            m.tab |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_set1_epi8('\t'))))) << shift;
            m.cr |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_set1_epi8('\r'))))) << shift;
            m.lf |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_set1_epi8('\n'))))) << shift;
        }
        for (int i = 0; i < 64; i += 8)
            addWeights(m, classesOf(chunk + i, s.classes), i);
        return m;
    }
};

} // namespace

std::unique_ptr<ScanKernel> makeKernel()
{
    return std::make_unique<ChunkKernel<Sse2Classifier>>();
}

} // namespace ScanSse2
#endif
