// The AVX-512 path: 64 bytes in one vector, compares straight into masks.
// Invalid pairs are told in the vector too: each lead byte belongs to a
// class of leads with the same undefined trails, and two 256-entry byte
// lookups (lead: its class's bit; trail: the bits of the classes it is
// undefined for) meet in one test.
#include "FindKernels.h"
#include "ScanFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#define HEXMOTH_FIND_TARGET __attribute__((target(HEXMOTH_AVX512_FEATURES)))
#include "FindVector.h"

#include <array>
#include <immintrin.h>
#include <map>

namespace {

using ByteTable = std::array<std::uint8_t, 256>;

// Lead bytes by their undefined trails, up to 16 classes in two tables of
// bits; leads past them are left to the scalar check (`rest`).
struct PairClasses
{
    ByteTable leadBits[2]{};
    ByteTable trailBits[2]{};
    std::bitset<256> rest;
};

PairClasses invalidPairClasses()
{
    const CharacterKinds &kinds = CharacterKinds::instance();
    PairClasses classes;
    std::map<std::string, int> classOf; // undefined trails -> class
    for (int lead = 0; lead < 256; ++lead) {
        if (!Cp932::isLeadByte(std::uint8_t(lead)) || !kinds.mayLead(CharacterKind::Invalid, std::uint8_t(lead)))
            continue;
        std::string undefined(256, '\0');
        for (int trail = 0; trail < 256; ++trail) {
            const std::uint8_t pair[2] = {std::uint8_t(lead), std::uint8_t(trail)};
            undefined[std::size_t(trail)] = char(Cp932::isTrailByte(std::uint8_t(trail)) && kinds.is(CharacterKind::Invalid, pair, 2));
        }
        const int c = classOf.emplace(undefined, int(classOf.size())).first->second;
        if (c >= 16) {
            classes.rest[std::size_t(lead)] = true;
            continue;
        }
        classes.leadBits[c / 8][std::size_t(lead)] = std::uint8_t(1 << c % 8);
        for (int trail = 0; trail < 256; ++trail)
            if (undefined[std::size_t(trail)])
                classes.trailBits[c / 8][std::size_t(trail)] |= std::uint8_t(1 << c % 8);
    }
    return classes;
}

struct Avx512
{
    using Splat = __m512i;
    // A 256-entry byte table in four vectors.
    struct Table
    {
        __m512i part[4];
    };
    struct Sets
    {
        __m512i suspectLeads;
        __m512i suspectSingles;
        bool pairs; // kindPairs from the tables below
        Table leadBits[2];
        Table trailBits[2];
    };

    HEXMOTH_FIND_TARGET static Splat splat(std::uint8_t b) { return _mm512_set1_epi8(char(b)); }

    HEXMOTH_FIND_TARGET static std::uint64_t equal(const std::uint8_t *at, Splat b)
    {
        return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), b);
    }

    template<typename InSet>
    HEXMOTH_FIND_TARGET static __m512i nibbleTable(InSet inSet)
    {
        alignas(64) std::uint8_t bits[64] = {};
        for (int b = 0x80; b < 0x100; ++b)
            if (inSet(std::uint8_t(b)))
                bits[b & 15] = std::uint8_t(bits[b & 15] | 1 << ((b >> 4) - 8));
        for (int lane = 1; lane < 4; ++lane)
            std::copy(bits, bits + 16, bits + 16 * lane);
        return _mm512_load_si512(bits);
    }

    HEXMOTH_FIND_TARGET static Table table(const ByteTable &bytes)
    {
        Table t;
        for (int i = 0; i < 4; ++i)
            t.part[i] = _mm512_loadu_si512(bytes.data() + 64 * i);
        return t;
    }

    HEXMOTH_FIND_TARGET static Sets sets(CharacterKind kind)
    {
        static const PairClasses classes = invalidPairClasses();
        const CharacterKinds &kinds = CharacterKinds::instance();
        const bool pairs = kind == CharacterKind::Invalid;
        Sets sets{nibbleTable([&](std::uint8_t b) { return Cp932::isLeadByte(b) && kinds.mayLead(kind, b) && (!pairs || classes.rest[b]); }),
                  nibbleTable([&](std::uint8_t b) { return !Cp932::isLeadByte(b) && kinds.singleIs(kind, b); }), pairs, {}, {}};
        for (int i = 0; i < 2; ++i) {
            sets.leadBits[i] = table(classes.leadBits[i]);
            sets.trailBits[i] = table(classes.trailBits[i]);
        }
        return sets;
    }

    HEXMOTH_FIND_TARGET static __m512i lookup(const Table &t, __m512i v)
    {
        const __m512i low = _mm512_permutex2var_epi8(t.part[0], v, t.part[1]);
        const __m512i high = _mm512_permutex2var_epi8(t.part[2], v, t.part[3]);
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high);
    }

    HEXMOTH_FIND_TARGET static std::uint64_t within(__m512i v, std::uint8_t low, std::uint8_t high)
    {
        return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(char(low))), _mm512_set1_epi8(char(high - low)));
    }

    HEXMOTH_FIND_TARGET static std::uint64_t inSet(__m512i v, __m512i set)
    {
        alignas(64) static constexpr std::uint8_t bits[64] = {
            0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128,
            0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128};
        const __m512i highNibbles = _mm512_load_si512(bits);
        const __m512i nibble = _mm512_set1_epi8(15);
        const __m512i high = _mm512_shuffle_epi8(highNibbles, _mm512_and_si512(_mm512_srli_epi16(v, 4), nibble));
        const __m512i low = _mm512_shuffle_epi8(set, _mm512_and_si512(v, nibble));
        return _mm512_test_epi8_mask(high, low);
    }

    HEXMOTH_FIND_TARGET static FindVector::ByteClasses classify(const std::uint8_t *at, const Sets &sets)
    {
        const __m512i v = _mm512_loadu_si512(at);
        std::uint64_t kindPairs = 0;
        if (sets.pairs) {
            const __m512i next = _mm512_loadu_si512(at + 1);
            for (int i = 0; i < 2; ++i)
                kindPairs |= _mm512_test_epi8_mask(lookup(sets.leadBits[i], v), lookup(sets.trailBits[i], next));
        }
        return {_mm512_movepi8_mask(v), within(v, 0x81, 0x9F) | within(v, 0xE0, 0xFC), within(v, 0x40, 0x7E) | within(v, 0x80, 0xFC),
                inSet(v, sets.suspectLeads), inSet(v, sets.suspectSingles), kindPairs};
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
