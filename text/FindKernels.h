#pragma once

#include "CharacterKind.h"
#include "CharacterKinds.h"
#include "Cp932.h"
#include "FindPattern.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <cstring>

// The search's kernels, one set per FindPath, and what they share.
struct FindKernel
{
    qint64 (*first)(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern);
    qint64 (*last)(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern);
    qint64 (*firstCharacter)(CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to);
};

const FindKernel &plainFindKernel();
const FindKernel &memchrFindKernel();
const FindKernel &avx2FindKernel();
const FindKernel &avx512FindKernel();

namespace FindKernels {

// One past the last start at which the whole pattern fits before `size`.
inline qint64 startsEnd(qint64 size, qint64 to, const FindPattern &pattern)
{
    return std::min(to, size - qint64(pattern.size()) + 1);
}

// Places of the first and last bytes that must equal a value; -1 for a
// pattern of `??` only.
inline qint64 firstFixed(const FindPattern &pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (!pattern.any[i])
            return qint64(i);
    return -1;
}
inline qint64 lastFixed(const FindPattern &pattern)
{
    for (std::size_t i = pattern.size(); i-- > 0;)
        if (!pattern.any[i])
            return qint64(i);
    return -1;
}

inline bool hasAny(const FindPattern &pattern)
{
    return firstFixed(pattern) != 0 || lastFixed(pattern) != qint64(pattern.size()) - 1
        || std::find(pattern.any.begin(), pattern.any.end(), true) != pattern.any.end();
}

// The pattern at `at`, whose fixed bytes `exact` says are all of it.
inline bool matchesAt(const FindPattern &pattern, bool exact, const std::uint8_t *at)
{
    return exact ? std::memcmp(at, pattern.bytes.data(), pattern.size()) == 0 : pattern.matches(at);
}

// The first character of `kind` in [from, to) one character at a time,
// from a character start; -1 when none.
inline qint64 walkCharacters(CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to)
{
    const CharacterKinds &kinds = CharacterKinds::instance();
    for (qint64 p = from; p < to;) {
        const qint64 length = Cp932::characterLength(reinterpret_cast<const char *>(data + p), size - p);
        if (kinds.is(kind, data + p, length))
            return p;
        p += length;
    }
    return -1;
}

// The characters of 64 bytes, from bit masks of their bytes (bit i: byte
// i): lead bytes, trail bytes, and whether the byte after the 64 is a trail
// byte; `carried`: byte 0 is the trail of a pair that began before.
struct CharacterMasks
{
    std::uint64_t pairLeads; // bytes that start a double-byte character
    std::uint64_t loneLeads; // lead bytes without their trail
    std::uint64_t singles;   // bytes that are a character of their own
    bool carryOut;           // the last byte starts a pair whose trail comes next
};

// Within a run of lead bytes that starts a character, characters start at
// every other byte; a run starts a character after any byte that is no
// lead byte, which always ends its character.
inline CharacterMasks characterMasks(std::uint64_t leads, std::uint64_t trails, bool nextIsTrail, bool carried)
{
    constexpr std::uint64_t Even = 0x5555555555555555ull;
    if (carried)
        leads &= ~std::uint64_t(1);
    const std::uint64_t runStarts = leads & ~(leads << 1);
    const std::uint64_t oddRuns = ((leads + (runStarts & ~Even)) ^ leads) & leads;
    const std::uint64_t starters = leads & (Even ^ oddRuns);
    const std::uint64_t followedByTrail = trails >> 1 | std::uint64_t(nextIsTrail) << 63;
    CharacterMasks masks;
    masks.pairLeads = starters & followedByTrail;
    masks.loneLeads = starters & ~followedByTrail;
    masks.singles = ~(masks.pairLeads | masks.pairLeads << 1 | std::uint64_t(carried) | leads);
    masks.singles |= masks.loneLeads;
    masks.carryOut = masks.pairLeads >> 63;
    return masks;
}

} // namespace FindKernels
