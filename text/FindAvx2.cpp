// The AVX2 path: 64 bytes as two 32-byte vectors; byte ranges by unsigned
// compares, byte sets by two 16-entry shuffles (high and low nibble). The
// pairs of the commonest lead bytes of Japanese text (symbols, hiragana,
// katakana) are told invalid in the vector: any set of trail bytes is two
// such nibble lookups, one for each half of the high nibbles.
#include "FindKernels.h"
#include "ScanFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_FIND_TARGET __attribute__((target(HEXMOTH_AVX2_FEATURES)))
#include "FindVector.h"

#include <immintrin.h>

namespace {

struct Avx2
{
    using Splat = __m256i;
    // The table of a set of bytes 80-FF: for each low nibble, a bit for
    // each high nibble 8-F whose byte is in the set.
    // Leads whose invalid pairs are told in the vector.
    static constexpr std::uint8_t ExactLeads[] = {0x81, 0x82, 0x83};
    struct Sets
    {
        __m256i suspectLeads;
        __m256i suspectSingles;
        bool pairs;
        // For each exact lead, its invalid trails: for each low nibble, a
        // bit for each high nibble 0-7, and one for each 8-F.
        __m256i trailsLow[std::size(ExactLeads)];
        __m256i trailsHigh[std::size(ExactLeads)];
    };

    HEXMOTH_FIND_TARGET static Splat splat(std::uint8_t b) { return _mm256_set1_epi8(char(b)); }

    HEXMOTH_FIND_TARGET static std::uint64_t mask(__m256i low, __m256i high)
    {
        return std::uint64_t(unsigned(_mm256_movemask_epi8(low))) | std::uint64_t(unsigned(_mm256_movemask_epi8(high))) << 32;
    }

    HEXMOTH_FIND_TARGET static std::uint64_t equal(const std::uint8_t *at, Splat b)
    {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 32));
        return mask(_mm256_cmpeq_epi8(low, b), _mm256_cmpeq_epi8(high, b));
    }

    template<typename InSet>
    HEXMOTH_FIND_TARGET static __m256i table(InSet inSet)
    {
        alignas(32) std::uint8_t bits[32] = {};
        for (int b = 0x80; b < 0x100; ++b)
            if (inSet(std::uint8_t(b)))
                bits[b & 15] = std::uint8_t(bits[b & 15] | 1 << ((b >> 4) - 8));
        std::copy(bits, bits + 16, bits + 16);
        return _mm256_load_si256(reinterpret_cast<const __m256i *>(bits));
    }

    static bool isExact(std::uint8_t lead) { return std::find(std::begin(ExactLeads), std::end(ExactLeads), lead) != std::end(ExactLeads); }

    // Bit h % 8 of entry l: the byte h << 4 | l, for h in [first, first + 8), is in the set.
    template<typename InSet>
    HEXMOTH_FIND_TARGET static __m256i nibbleTable(int first, InSet inSet)
    {
        alignas(32) std::uint8_t bits[32] = {};
        for (int b = first << 4; b < (first + 8) << 4; ++b)
            if (inSet(std::uint8_t(b)))
                bits[b & 15] = std::uint8_t(bits[b & 15] | 1 << ((b >> 4) - first));
        std::copy(bits, bits + 16, bits + 16);
        return _mm256_load_si256(reinterpret_cast<const __m256i *>(bits));
    }

    HEXMOTH_FIND_TARGET static Sets sets(CharacterKind kind)
    {
        const CharacterKinds &kinds = CharacterKinds::instance();
        const bool pairs = kind == CharacterKind::Invalid;
        Sets sets{table([&](std::uint8_t b) { return Cp932::isLeadByte(b) && kinds.mayLead(kind, b) && !(pairs && isExact(b)); }),
                  table([&](std::uint8_t b) { return !Cp932::isLeadByte(b) && kinds.singleIs(kind, b); }), pairs, {}, {}};
        for (std::size_t i = 0; i < std::size(ExactLeads); ++i) {
            const auto invalidTrail = [&](std::uint8_t trail) {
                const std::uint8_t pair[2] = {ExactLeads[i], trail};
                return Cp932::isTrailByte(trail) && kinds.is(CharacterKind::Invalid, pair, 2);
            };
            sets.trailsLow[i] = nibbleTable(0, invalidTrail);
            sets.trailsHigh[i] = nibbleTable(8, invalidTrail);
        }
        return sets;
    }

    // Bytes at i that are an exact lead whose trail at i + 1 is invalid.
    HEXMOTH_FIND_TARGET static __m256i invalidPairs(__m256i v, __m256i next, const Sets &sets)
    {
        const __m256i bitOfLow = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                                  1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
        const __m256i bitOfHigh = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128,
                                                   0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128);
        const __m256i nibble = _mm256_set1_epi8(15);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi16(next, 4), nibble);
        const __m256i low = _mm256_and_si256(next, nibble);
        const __m256i lowHalf = _mm256_shuffle_epi8(bitOfLow, high);
        const __m256i highHalf = _mm256_shuffle_epi8(bitOfHigh, high);
        __m256i found = _mm256_setzero_si256();
        for (std::size_t i = 0; i < std::size(ExactLeads); ++i) {
            const __m256i trail = _mm256_or_si256(_mm256_and_si256(lowHalf, _mm256_shuffle_epi8(sets.trailsLow[i], low)),
                                                  _mm256_and_si256(highHalf, _mm256_shuffle_epi8(sets.trailsHigh[i], low)));
            const __m256i lead = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(char(ExactLeads[i])));
            found = _mm256_or_si256(found, _mm256_andnot_si256(_mm256_cmpeq_epi8(trail, _mm256_setzero_si256()), lead));
        }
        return found;
    }

    HEXMOTH_FIND_TARGET static __m256i within(__m256i v, std::uint8_t low, std::uint8_t high)
    {
        const __m256i d = _mm256_sub_epi8(v, _mm256_set1_epi8(char(low)));
        return _mm256_cmpeq_epi8(_mm256_min_epu8(d, _mm256_set1_epi8(char(high - low))), d);
    }

    HEXMOTH_FIND_TARGET static __m256i inSet(__m256i v, __m256i table)
    {
        const __m256i highNibbles = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128,
                                                     0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128);
        const __m256i nibble = _mm256_set1_epi8(15);
        const __m256i high = _mm256_shuffle_epi8(highNibbles, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
        const __m256i low = _mm256_shuffle_epi8(table, _mm256_and_si256(v, nibble));
        return _mm256_xor_si256(_mm256_cmpeq_epi8(_mm256_and_si256(high, low), _mm256_setzero_si256()), _mm256_set1_epi8(-1));
    }

    HEXMOTH_FIND_TARGET static FindVector::ByteClasses classify(const std::uint8_t *at, const Sets &sets)
    {
        const __m256i v[2] = {_mm256_loadu_si256(reinterpret_cast<const __m256i *>(at)),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 32))};
        __m256i leads[2], trails[2];
        for (int i = 0; i < 2; ++i) {
            leads[i] = _mm256_or_si256(within(v[i], 0x81, 0x9F), within(v[i], 0xE0, 0xFC));
            trails[i] = _mm256_or_si256(within(v[i], 0x40, 0x7E), within(v[i], 0x80, 0xFC));
        }
        std::uint64_t kindPairs = 0;
        if (sets.pairs) {
            const __m256i next[2] = {_mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 1)),
                                     _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 33))};
            kindPairs = mask(invalidPairs(v[0], next[0], sets), invalidPairs(v[1], next[1], sets));
        }
        return {mask(v[0], v[1]), mask(leads[0], leads[1]), mask(trails[0], trails[1]),
                mask(inSet(v[0], sets.suspectLeads), inSet(v[1], sets.suspectLeads)),
                mask(inSet(v[0], sets.suspectSingles), inSet(v[1], sets.suspectSingles)), kindPairs};
    }
};

} // namespace

const FindKernel &avx2FindKernel()
{
    static const FindKernel kernel{FindVector::first<Avx2>, FindVector::last<Avx2>, FindVector::firstCharacter<Avx2>};
    return kernel;
}
#else
const FindKernel &avx2FindKernel()
{
    return memchrFindKernel();
}
#endif
