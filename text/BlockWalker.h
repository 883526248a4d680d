#pragma once

#include "TextMetrics.h"

#include <QtGlobal>

// Walks the characters of one line by TextMetrics::step across the blocks
// a text comes in, reading only the block in hand: the character of a
// block's last byte may depend on the next byte (a trail, or kerning), so
// that byte waits for the next block. Where the characters start is known
// beforehand (the block's trail bytes), so the walk steps from start to
// start without waiting on each character's length: TextMetrics::step
// taken a 64-byte word at a time, the single-byte and the double-byte
// characters between two tabs each summed on their own.
class BlockWalker
{
public:
    using Units = qint64; // XUnits, added up as plain numbers

    struct Block
    {
        const unsigned char *bytes;
        qint64 start; // byte position of bytes[0] in the text
        qint64 end;
        // Bit i of trails[j]: the byte at (start & ~63) + 64 j + i is the
        // second byte of a double-byte character; of tabs[j]: a tab. Filled
        // as far as walked.
        const std::uint64_t *trails;
        const std::uint64_t *tabs;
    };

    // A vector path's sum of the single-byte characters at the bits of
    // `starts` in a 64-byte word, bit i standing for word[i]; it reads no
    // byte outside `starts`, so `word` may begin before the block. Each
    // advance is given by its low and high byte, so that it fits 16 bits.
    struct SplitAdvances
    {
        alignas(64) std::uint8_t low[256];
        alignas(64) std::uint8_t high[256];
    };
    using WordSinglesWidth = Units (*)(std::uint64_t starts, const unsigned char *word, const SplitAdvances &advances);
    // Used by the walks without kerning from now on; null: the plain sum.
    void sumSinglesWith(WordSinglesWidth width, const SplitAdvances *advances) { m_singles = {width, advances}; }

    // At the start of a line.
    void restart(qint64 lineStart)
    {
        m_position = lineStart;
        m_x = 0;
        m_waiting = -1;
    }
    qint64 position() const { return m_position; }

    // The x of `target`, a character start of the line, position() <= target
    // <= block.end; the walker stays there (or at the waiting byte before).
    // block.start <= position(), or position() is the last byte of the block
    // before, waiting.
    Units walkTo(qint64 target, const Block &block, const TextMetrics &metrics);
    // The x past the last character taken in, as if the line ended there.
    Units xPast(const TextMetrics &metrics) const
    {
        return m_waiting >= 0 ? m_x + metrics.single(std::uint8_t(m_waiting)) : m_x;
    }

private:
    struct Place
    {
        qint64 position;
        Units x;
    };
    struct SinglesSum
    {
        WordSinglesWidth width = nullptr;
        const SplitAdvances *advances = nullptr;
    };
    // The walk from `from` over every character that starts before
    // `withNext` (whose next byte is in the block).
    template<bool Kerned>
    static Place walkWords(Place from, qint64 withNext, const Block &block, const TextMetrics &metrics, SinglesSum singles);

    qint64 m_position = 0;
    Units m_x = 0;
    int m_waiting = -1; // the byte at m_position, the last of its block
    SinglesSum m_singles;
};
