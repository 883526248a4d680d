// UTF-8's runs 32 bytes at a time: printable ASCII and well-formed
// three-byte sequences (most of Japanese text), told from each byte and the
// two after it; the code points decoded in 16-bit lanes.
#if defined(__x86_64__) || defined(__i386__)
#include "EncodedRunsAvx2.h"

namespace EncodedRuns {
namespace {

using namespace Avx2;

// Leads E0-EF followed by two continuation bytes, neither overlong (E0 80-9F)
// nor a surrogate (ED A0-BF).
HEXMOTH_RUN_TARGET inline quint32 threeByteLeads(__m256i b, __m256i n1, __m256i n2)
{
    const __m256i lead = _mm256_cmpeq_epi8(_mm256_and_si256(b, _mm256_set1_epi8(char(0xF0))), _mm256_set1_epi8(char(0xE0)));
    const __m256i below = _mm256_set1_epi8(char(0xC0)); // continuation bytes 80-BF are the signed bytes below C0
    const __m256i continued = _mm256_and_si256(_mm256_cmpgt_epi8(below, n1), _mm256_cmpgt_epi8(below, n2));
    const __m256i lowSecond = _mm256_cmpgt_epi8(_mm256_set1_epi8(char(0xA0)), n1);
    const __m256i overlong = _mm256_and_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8(char(0xE0))), lowSecond);
    const __m256i surrogate = _mm256_andnot_si256(lowSecond, _mm256_cmpeq_epi8(b, _mm256_set1_epi8(char(0xED))));
    const __m256i good = _mm256_andnot_si256(_mm256_or_si256(overlong, surrogate), _mm256_and_si256(lead, continued));
    return quint32(_mm256_movemask_epi8(good));
}

// The code point of a character starting at each byte, in Chunk's order.
HEXMOTH_RUN_TARGET inline void codePoints(__m256i b, __m256i n1, __m256i n2, __m256i (&keys)[2])
{
    const __m256i high = _mm256_cmpgt_epi8(_mm256_setzero_si256(), b);
    const __m256i ascii = _mm256_andnot_si256(high, b);
    // A lead's low four bits as the top of the high byte: bits 12-15.
    const __m256i top = _mm256_and_si256(_mm256_slli_epi16(b, 4), _mm256_and_si256(high, _mm256_set1_epi8(char(0xF0))));
    const __m256i six = _mm256_and_si256(high, _mm256_set1_epi8(0x3F));
    const __m256i second = _mm256_and_si256(n1, six);
    const __m256i third = _mm256_and_si256(n2, six);
    const __m256i weights = _mm256_set1_epi16(0x4001); // bits 0-11: third + 64 * second
    keys[0] = _mm256_add_epi16(_mm256_unpacklo_epi8(ascii, top), _mm256_maddubs_epi16(_mm256_unpacklo_epi8(third, second), weights));
    keys[1] = _mm256_add_epi16(_mm256_unpackhi_epi8(ascii, top), _mm256_maddubs_epi16(_mm256_unpackhi_epi8(third, second), weights));
}

// Functors, not lambdas: a lambda would not be compiled for AVX2.
struct Utf8Chunks
{
    bool kerned;

    HEXMOTH_RUN_TARGET Chunk operator()(const unsigned char *p, quint32 carry) const
    {
        const __m256i b = load(p);
        const __m256i n1 = load(p + 1);
        const __m256i n2 = load(p + 2);
        const quint32 ascii = plainAscii(b, kerned);
        const quint32 leads = threeByteLeads(b, n1, n2);
        Chunk chunk{ascii | leads | leads << 1 | leads << 2 | carry, ascii | leads, leads >> 30 | leads >> 31, {}};
        codePoints(b, n1, n2, chunk.keys);
        return chunk;
    }
};

struct Utf8Advances
{
    const qint32 *plane;

    HEXMOTH_RUN_TARGET qint32 operator()(char16_t c) const { return plane[c]; }
};

} // namespace

HEXMOTH_RUN_TARGET qint64 utf8Avx2(const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    at = Avx2::vectorRun(p, at, end, sums, 2, Utf8Chunks{sums.kerned}, Utf8Advances{sums.basicPlane});
    return utf8(p, at, end, sums);
}

} // namespace EncodedRuns
#endif
