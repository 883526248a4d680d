#include "BlockWalker.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

using Units = BlockWalker::Units;

// The advances of the single-byte characters at the bits of `starts`, bit i
// standing for bytes[word + i], each
// with its kerning before the byte after it.
template<bool Kerned>
Units singlesWidth(std::uint64_t starts, const unsigned char *bytes, qint64 word, const TextMetrics &metrics)
{
    const qint32 *single = metrics.singleTable();
    Units sum = 0;
    for (; starts != 0; starts &= starts - 1) {
        const qint64 i = word + std::countr_zero(starts);
        sum += single[bytes[i]];
        if (Kerned)
            sum += metrics.kerning(bytes[i], bytes[i + 1]);
    }
    return sum;
}

// The advances of the double-byte characters whose first bytes are at the
// bits of `starts`.
Units pairsWidth(std::uint64_t starts, const unsigned char *bytes, qint64 word, const TextMetrics &metrics)
{
    const qint32 *doubles = metrics.doubleTable();
    Units sum = 0;
    for (; starts != 0; starts &= starts - 1) {
        const qint64 i = word + std::countr_zero(starts);
        qint32 advance = doubles[metrics.rowOf(bytes[i]) + bytes[i + 1]];
        if (advance < 0) [[unlikely]]
            advance = metrics.doubleByte(bytes[i], bytes[i + 1]);
        sum += advance;
    }
    return sum;
}

} // namespace

BlockWalker::Units BlockWalker::walkTo(qint64 target, const Block &block, const TextMetrics &metrics)
{
    Place place{m_position, m_x};
    const unsigned char *bytes = block.bytes;
    if (m_waiting >= 0) {
        if (target <= place.position || block.end <= block.start)
            return place.x;
        const TextMetrics::Step step = metrics.step(XUnits(place.x), std::uint8_t(m_waiting), bytes[0]);
        place = {place.position + step.length, step.x.value()};
        m_waiting = -1;
    }
    // Every character that starts before `withNext` has its next byte here.
    const qint64 withNext = std::min(target, block.end - 1);
    if (place.position < withNext)
        place = metrics.hasKerning() ? walkWords<true>(place, withNext, block, metrics, {})
                                     : walkWords<false>(place, withNext, block, metrics, m_singles);
    if (place.position < target) { // the block's last byte
        const std::uint8_t b = bytes[place.position - block.start];
        if (b == '\t') {
            place.x = metrics.nextTabStop(XUnits(place.x)).value();
            ++place.position;
        } else {
            m_waiting = b;
        }
    }
    m_position = place.position;
    m_x = place.x;
    return place.x;
}

template<bool Kerned>
BlockWalker::Place BlockWalker::walkWords(Place from, qint64 withNext, const Block &block, const TextMetrics &metrics, SinglesSum singles)
{
    qint64 position = from.position;
    Units x = from.x;
    const qint64 firstWord = block.start & ~qint64(63);
    while (position < withNext) {
        const qint64 wordStart = position & ~qint64(63);
        const auto j = std::size_t((wordStart - firstWord) >> 6);
        std::uint64_t starts = ~block.trails[j] & (~std::uint64_t(0) << (position - wordStart));
        const bool past = withNext - wordStart >= 64;
        if (!past)
            starts &= (std::uint64_t(1) << (withNext - wordStart)) - 1;
        // A character at bit 63 walked pairs with the next word's first byte.
        const std::uint64_t nextTrail = past ? block.trails[j + 1] << 63 : 0;
        const std::uint64_t pairs = starts & ((block.trails[j] >> 1) | nextTrail);
        std::uint64_t tabs = block.tabs[j] & starts;
        const qint64 word = wordStart - block.start; // only the bytes of characters walked are read
        // The word's first byte may lie before the block's: its address by
        // integers, never read.
        const auto *wordBytes = reinterpret_cast<const unsigned char *>(reinterpret_cast<std::uintptr_t>(block.bytes) + std::uintptr_t(word));
        for (std::uint64_t rest = starts;;) {
            const std::uint64_t tab = tabs & -tabs;
            const std::uint64_t before = rest & (tab - 1); // all of rest when no tab is left
            x += Kerned || !singles.width ? singlesWidth<Kerned>(before & ~pairs, block.bytes, word, metrics)
                                          : singles.width(before & ~pairs, wordBytes, *singles.advances);
            x += pairsWidth(before & pairs, block.bytes, word, metrics);
            if (tab == 0)
                break;
            x = metrics.nextTabStop(XUnits(x)).value();
            rest &= ~(before | tab);
            tabs &= tabs - 1;
        }
        if (starts != 0) {
            const int last = 63 - std::countl_zero(starts);
            position = wordStart + last + 1 + qint64((pairs >> last) & 1);
        }
        position = std::max(position, std::min(wordStart + 64, withNext));
    }
    return {position, x};
}
