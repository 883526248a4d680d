#pragma once

// The vector paths' search, 64 bytes at a time, over a Vector type that a
// path's file defines with its instructions before including this, along
// with HEXMOTH_FIND_TARGET, the target its functions are built for:
//
//   Vector::Splat                      one byte in every lane
//   Vector::splat(std::uint8_t)
//   Vector::equal(const std::uint8_t *at, Splat b) -> std::uint64_t
//       bit i: at[i] == b, for 64 bytes
//   Vector::Sets                       byte sets of the filters, made once a call
//   Vector::sets(CharacterKind) -> Sets
//   Vector::classify(const std::uint8_t *at, const Sets &) -> ByteClasses
//       reads at[0, 65)
#include "FindKernels.h"

#include <bit>

namespace FindVector {

// Bit i for byte i of 64.
struct ByteClasses
{
    std::uint64_t high;           // 80-FF
    std::uint64_t leads;          // Cp932::isLeadByte
    std::uint64_t trails;         // Cp932::isTrailByte
    std::uint64_t suspectLeads;   // leads of which some pair is of the kind
    std::uint64_t suspectSingles; // bytes of the kind as characters of their own
    std::uint64_t kindPairs;      // bytes that with the next are a pair of the kind, if they start one
};

template<typename Vector>
HEXMOTH_FIND_TARGET qint64 first(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    const qint64 end = FindKernels::startsEnd(size, to, pattern);
    const qint64 k = FindKernels::firstFixed(pattern);
    const qint64 l = FindKernels::lastFixed(pattern);
    if (k < 0 || from >= end)
        return from < end ? from : -1;
    const bool exact = !FindKernels::hasAny(pattern);
    const auto firstByte = Vector::splat(pattern.bytes[std::size_t(k)]);
    const auto lastByte = Vector::splat(pattern.bytes[std::size_t(l)]);
    qint64 p = from;
    for (; end - p >= 64; p += 64) {
        std::uint64_t candidates = Vector::equal(data + p + k, firstByte) & Vector::equal(data + p + l, lastByte);
        for (; candidates; candidates &= candidates - 1) {
            const qint64 at = p + std::countr_zero(candidates);
            if (FindKernels::matchesAt(pattern, exact, data + at))
                return at;
        }
    }
    for (; p < end; ++p)
        if (FindKernels::matchesAt(pattern, exact, data + p))
            return p;
    return -1;
}

template<typename Vector>
HEXMOTH_FIND_TARGET qint64 last(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    qint64 end = FindKernels::startsEnd(size, to, pattern);
    const qint64 k = FindKernels::firstFixed(pattern);
    const qint64 l = FindKernels::lastFixed(pattern);
    if (k < 0 || from >= end)
        return from < end ? end - 1 : -1;
    const bool exact = !FindKernels::hasAny(pattern);
    const auto firstByte = Vector::splat(pattern.bytes[std::size_t(k)]);
    const auto lastByte = Vector::splat(pattern.bytes[std::size_t(l)]);
    for (; end - from >= 64; end -= 64) {
        const qint64 p = end - 64;
        std::uint64_t candidates = Vector::equal(data + p + k, firstByte) & Vector::equal(data + p + l, lastByte);
        for (; candidates; candidates &= ~(std::uint64_t(1) << (63 - std::countl_zero(candidates)))) {
            const qint64 at = p + 63 - std::countl_zero(candidates);
            if (FindKernels::matchesAt(pattern, exact, data + at))
                return at;
        }
    }
    for (qint64 p = end - 1; p >= from; --p)
        if (FindKernels::matchesAt(pattern, exact, data + p))
            return p;
    return -1;
}

// Bytes that end the search at once (lone leads, singles of the kind) and
// pairs that may be of the kind, in order.
template<typename Vector>
HEXMOTH_FIND_TARGET qint64 firstCharacter(CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to)
{
    const CharacterKinds &kinds = CharacterKinds::instance();
    const auto sets = Vector::sets(kind);
    const bool invalid = kind == CharacterKind::Invalid;
    qint64 p = from;
    bool carried = false;
    for (; to - p >= 64 && size - p > 64; p += 64) {
        const ByteClasses classes = Vector::classify(data + p, sets);
        if (classes.high == 0 && !carried)
            continue;
        const FindKernels::CharacterMasks masks = FindKernels::characterMasks(classes.leads, classes.trails, Cp932::isTrailByte(data[p + 64]), carried);
        carried = masks.carryOut;
        const std::uint64_t definite = (invalid ? masks.loneLeads | (masks.singles & classes.suspectSingles) : 0) | (masks.pairLeads & classes.kindPairs);
        for (std::uint64_t all = definite | (masks.pairLeads & classes.suspectLeads); all; all &= all - 1) {
            const int i = std::countr_zero(all);
            if ((definite >> i & 1) || kinds.is(kind, data + p + i, 2))
                return p + i;
        }
    }
    return FindKernels::walkCharacters(kind, data, size, p + (carried ? 1 : 0), to);
}

} // namespace FindVector
