// The AVX2 path: 64 bytes as two 32-byte vectors; byte ranges by unsigned
// compares, byte sets by two 16-entry shuffles (high and low nibble).
#include "FindKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_FIND_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt,lzcnt")))
#include "FindVector.h"

#include <immintrin.h>

namespace {

struct Avx2
{
    using Splat = __m256i;
    // The table of a set of bytes 80-FF: for each low nibble, a bit for
    // each high nibble 8-F whose byte is in the set.
    struct Sets
    {
        __m256i suspectLeads;
        __m256i suspectSingles;
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

    HEXMOTH_FIND_TARGET static Sets sets(CharacterKind kind)
    {
        const CharacterKinds &kinds = CharacterKinds::instance();
        return {table([&](std::uint8_t b) { return Cp932::isLeadByte(b) && kinds.mayLead(kind, b); }),
                table([&](std::uint8_t b) { return !Cp932::isLeadByte(b) && kinds.singleIs(kind, b); })};
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
        return {mask(v[0], v[1]), mask(leads[0], leads[1]), mask(trails[0], trails[1]),
                mask(inSet(v[0], sets.suspectLeads), inSet(v[1], sets.suspectLeads)),
                mask(inSet(v[0], sets.suspectSingles), inSet(v[1], sets.suspectSingles)), 0};
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
