// The AVX-512 path: 64 bytes in one vector, compares straight into masks.
#include "FindKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_FIND_TARGET __attribute__((target("avx512f,avx512bw,bmi,bmi2,popcnt,lzcnt")))
#include "FindVector.h"

#include <immintrin.h>

namespace {

struct Avx512
{
    using Splat = __m512i;
    struct Sets
    {
        __m512i suspectLeads;
        __m512i suspectSingles;
    };

    HEXMOTH_FIND_TARGET static Splat splat(std::uint8_t b) { return _mm512_set1_epi8(char(b)); }

    HEXMOTH_FIND_TARGET static std::uint64_t equal(const std::uint8_t *at, Splat b)
    {
        return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), b);
    }

    template<typename InSet>
    HEXMOTH_FIND_TARGET static __m512i table(InSet inSet)
    {
        alignas(64) std::uint8_t bits[64] = {};
        for (int b = 0x80; b < 0x100; ++b)
            if (inSet(std::uint8_t(b)))
                bits[b & 15] = std::uint8_t(bits[b & 15] | 1 << ((b >> 4) - 8));
        for (int lane = 1; lane < 4; ++lane)
            std::copy(bits, bits + 16, bits + 16 * lane);
        return _mm512_load_si512(bits);
    }

    HEXMOTH_FIND_TARGET static Sets sets(CharacterKind kind)
    {
        const CharacterKinds &kinds = CharacterKinds::instance();
        return {table([&](std::uint8_t b) { return Cp932::isLeadByte(b) && kinds.mayLead(kind, b); }),
                table([&](std::uint8_t b) { return !Cp932::isLeadByte(b) && kinds.singleIs(kind, b); })};
    }

    HEXMOTH_FIND_TARGET static std::uint64_t within(__m512i v, std::uint8_t low, std::uint8_t high)
    {
        return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(char(low))), _mm512_set1_epi8(char(high - low)));
    }

    HEXMOTH_FIND_TARGET static std::uint64_t inSet(__m512i v, __m512i table)
    {
        alignas(64) static constexpr std::uint8_t bits[64] = {
            0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128,
            0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128};
        const __m512i highNibbles = _mm512_load_si512(bits);
        const __m512i nibble = _mm512_set1_epi8(15);
        const __m512i high = _mm512_shuffle_epi8(highNibbles, _mm512_and_si512(_mm512_srli_epi16(v, 4), nibble));
        const __m512i low = _mm512_shuffle_epi8(table, _mm512_and_si512(v, nibble));
        return _mm512_test_epi8_mask(high, low);
    }

    HEXMOTH_FIND_TARGET static FindVector::ByteClasses classify(const std::uint8_t *at, const Sets &sets)
    {
        const __m512i v = _mm512_loadu_si512(at);
        return {_mm512_movepi8_mask(v), within(v, 0x81, 0x9F) | within(v, 0xE0, 0xFC), within(v, 0x40, 0x7E) | within(v, 0x80, 0xFC),
                inSet(v, sets.suspectLeads), inSet(v, sets.suspectSingles)};
    }
};

} // namespace

const FindKernel &avx512FindKernel()
{
    static const FindKernel kernel{FindVector::first<Avx512>, FindVector::last<Avx512>, FindVector::firstCharacter<Avx512>};
    return kernel;
}
#else
const FindKernel &avx512FindKernel()
{
    return memchrFindKernel();
}
#endif
