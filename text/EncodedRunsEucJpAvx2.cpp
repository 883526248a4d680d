// EUC-JP's runs 32 bytes at a time: printable ASCII and JIS X 0208 pairs.
// Lead and trail bytes are alike (A1-FE), so the leads are told by their
// place in each stretch of such bytes: every other one from its start.
#if defined(__x86_64__) || defined(__i386__)
#include "EncodedRunsAvx2.h"

#include <vector>

namespace EncodedRuns {
namespace {

using namespace Avx2;

constexpr quint64 EvenBits = 0x5555555555555555;
constexpr char16_t NoCharacter = 0xD800; // a surrogate: see codePointsOfKeys()

// Of the A1-FE bytes `jis`, those that start a pair; `trails`: the bytes
// followed by one of A1-FE.
HEXMOTH_RUN_TARGET inline quint32 pairLeads(quint64 jis, quint32 trails)
{
    const quint64 stretchStarts = jis & ~(jis << 1);
    // Adding a stretch's first bit carries through it: what it clears are
    // the stretches that start on an even byte.
    const quint64 evenStretches = jis & ~(jis + (stretchStarts & EvenBits));
    const quint64 leads = (evenStretches & EvenBits) | (jis & ~evenStretches & ~EvenBits);
    return quint32(leads) & trails;
}

HEXMOTH_RUN_TARGET inline quint32 jisBytes(__m256i b)
{
    return quint32(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpgt_epi8(b, _mm256_set1_epi8(char(0xA0))),
                                                         _mm256_cmpgt_epi8(_mm256_set1_epi8(char(0xFF)), b))));
}

// A key for each byte, in Chunk's order: ASCII's own byte, a pair's
// (lead - 7F) << 8 | trail.
HEXMOTH_RUN_TARGET inline void pairKeys(__m256i b, __m256i n1, __m256i (&keys)[2])
{
    const __m256i low = _mm256_blendv_epi8(b, n1, b); // the next byte after one from 80
    const __m256i high = _mm256_subs_epu8(b, _mm256_set1_epi8(0x7F)); // 0 for ASCII
    keys[0] = _mm256_unpacklo_epi8(low, high);
    keys[1] = _mm256_unpackhi_epi8(low, high);
}

// Functors, not lambdas: a lambda would not be compiled for AVX2.
struct EucJpChunks
{
    bool kerned;

    // A trail carried in is no lead: the stretch after it starts a byte later.
    HEXMOTH_RUN_TARGET Chunk operator()(const unsigned char *p, quint32 carry) const
    {
        const __m256i b = load(p);
        const __m256i n1 = load(p + 1);
        const quint32 ascii = plainAscii(b, kerned);
        const quint32 leads = pairLeads(jisBytes(b) & ~carry, jisBytes(n1));
        Chunk chunk{ascii | leads | leads << 1 | carry, ascii | leads, leads >> 31, {}};
        pairKeys(b, n1, chunk.keys);
        return chunk;
    }
};

// The code point of each key; where a pair has no character, a surrogate,
// whose advance stays -1 (TextMetrics::basicPlaneTable()), so that the run
// stops there without a test of its own.
std::vector<char16_t> codePointsOfKeys(const EucJpCodec &codec)
{
    std::vector<char16_t> codePoints(1 << 15, NoCharacter);
    for (int c = 0; c < 0x80; ++c)
        codePoints[c] = char16_t(c);
    for (int lead = 0xA1; lead <= 0xFE; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char pair[] = {char(lead), char(trail)};
            const DecodedCharacter c = codec.read(pair, 2);
            if (c.valid && c.length == 2)
                codePoints[(lead - 0x7F) << 8 | trail] = char16_t(c.codePoint);
        }
    return codePoints;
}

struct EucJpAdvances
{
    const char16_t *codePoints;
    const qint32 *plane;

    HEXMOTH_RUN_TARGET qint32 operator()(char16_t key) const
    {
        return plane[codePoints[key]];
    }
};

} // namespace

HEXMOTH_RUN_TARGET qint64 eucJpAvx2(const EucJpCodec &codec, const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    static const std::vector<char16_t> codePoints = codePointsOfKeys(codec); // the one codec's
    at = Avx2::vectorRun(p, at, end, sums, 1, EucJpChunks{sums.kerned}, EucJpAdvances{codePoints.data(), sums.basicPlane});
    return eucJp(codec, p, at, end, sums);
}

} // namespace EncodedRuns
#endif
