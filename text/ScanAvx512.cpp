// The AVX-512 path: every class bit of 64 bytes from one 256-entry table,
// looked up with two vpermi2b; each byte's weight in the width bound from
// another, and for each double-byte character from its own bytes, summed
// with vpsadbw.
#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_SCAN_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,bmi2,popcnt,lzcnt")))
#include "ScanChunks.h"

#include "Cp932.h"

#include <immintrin.h>

// GCC 12 warns of the undefined vectors inside its own intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {

// The bytes whose class has bit `bit` set, shifted to the top of each byte
// (no constant to load).
template<int bit>
HEXMOTH_SCAN_TARGET inline std::uint64_t withBit(__m512i classes)
{
    return std::uint64_t(_mm512_movepi8_mask(_mm512_slli_epi16(classes, 7 - bit)));
}

// table[byte] for every byte of `bytes`; table is 256 bytes.
HEXMOTH_SCAN_TARGET inline __m512i lookUp(const __m512i table[4], __m512i bytes)
{
    const __m512i low = _mm512_permutex2var_epi8(table[0], bytes, table[1]);
    const __m512i high = _mm512_permutex2var_epi8(table[2], bytes, table[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

struct Avx512Classifier
{
    HEXMOTH_SCAN_TARGET explicit Avx512Classifier(const ScanState &state)
        : pairs(_mm512_setzero_si512())
        , bytes(_mm512_setzero_si512())
        , sums(_mm512_setzero_si512())
        , unit(state.byteUnit)
        , pairExtra(state.pairExtra)
        , start(state.weight)
    {
        for (int quarter = 0; quarter < 4; ++quarter) {
            classes[quarter] = _mm512_loadu_si512(state.classes + 64 * quarter);
            weights[quarter] = _mm512_loadu_si512(state.byteWeights + 64 * quarter);
            for (int row = 0; row < 3; ++row)
                trailRows[row][quarter] = _mm512_loadu_si512(state.pairTables[row + 1] + 64 * quarter);
        }
        leadRow[0] = _mm512_loadu_si512(state.pairTables[0] + 128);
        leadRow[1] = _mm512_loadu_si512(state.pairTables[0] + 192);
        alignas(64) std::uint8_t before[64];
        for (int i = 0; i < 64; ++i)
            before[i] = std::uint8_t((i + 63) & 63);
        byteBefore = _mm512_load_si512(before);
    }
    __m512i classes[4];
    __m512i weights[4];      // byteWeights
    __m512i trailRows[3][4]; // pairTables[1-3]
    __m512i leadRow[2];      // pairTables[0], 80-FF
    __m512i byteBefore;      // lane i takes lane i - 1
    __m512i singles;         // of the last chunk: each byte's weight as a character of its own
    __m512i pairs;           // of the last chunk: the weight of a pair whose trail is here
    __m512i bytes;           // of the last chunk weighed: each byte's weight
    __m512i sums;            // of the block's chunks before it, in 8 parts
    qint64 unit;
    qint64 pairExtra;
    qint64 start; // ScanState::weight at the block's start
    qint64 trailCount = 0; // the block's trails before the chunk
    std::uint64_t trails = 0;

    HEXMOTH_SCAN_TARGET ChunkMasks classify(const unsigned char *chunk, std::uint8_t previous)
    {
        const __m512i raw = _mm512_loadu_si512(chunk);
        const __m512i c = lookUp(classes, raw);
        singles = lookUp(weights, raw);
        ChunkMasks m;
        m.lead = withBit<4>(c);
        m.trail = withBit<5>(c);
        m.tab = withBit<6>(c);
        m.cr = std::uint64_t(_mm512_movepi8_mask(c));
        m.lf = _mm512_cmpeq_epi8_mask(raw, _mm512_set1_epi8('\n'));

        if (m.lead == 0 && !Cp932::isLeadByte(previous))
            return m; // no trail here: pairs is not read
        const __m512i leads = _mm512_mask_mov_epi8(_mm512_permutexvar_epi8(byteBefore, raw), 1, _mm512_set1_epi8(char(previous)));
        pairs = _mm512_permutex2var_epi8(leadRow[0], leads, leadRow[1]);
        for (int row = 0; row < 3; ++row) {
            const __mmask64 under = _mm512_cmpeq_epi8_mask(leads, _mm512_set1_epi8(char(0x81 + row)));
            pairs = _mm512_mask_mov_epi8(pairs, under, lookUp(trailRows[row], raw));
        }
        return m;
    }

    HEXMOTH_SCAN_TARGET void weigh(const ChunkMasks &, std::uint64_t chunkTrails, std::uint64_t valid)
    {
        bytes = _mm512_mask_mov_epi8(_mm512_maskz_mov_epi8(valid & ~chunkTrails, singles), chunkTrails, pairs);
        trails = chunkTrails;
    }
    // Summed in vector parts, added up only where a bound is wanted.
    HEXMOTH_SCAN_TARGET qint64 weightThrough(std::uint64_t mask) const
    {
        const __m512i part = _mm512_sad_epu8(_mm512_maskz_mov_epi8(mask, bytes), _mm512_setzero_si512());
        const qint64 steps = qint64(_mm512_reduce_add_epi64(_mm512_add_epi64(sums, part)));
        return start + unit * steps + pairExtra * (trailCount + bitCount(trails & mask));
    }
    HEXMOTH_SCAN_TARGET void pass()
    {
        sums = _mm512_add_epi64(sums, _mm512_sad_epu8(bytes, _mm512_setzero_si512()));
        trailCount += bitCount(trails);
    }
};

} // namespace

HEXMOTH_SCAN_TARGET void scanBlockAvx512(ScanState &state, const unsigned char *block, qint64 n)
{
    scanBlock<Avx512Classifier>(state, block, n);
}
#endif
