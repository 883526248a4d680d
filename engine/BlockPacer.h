#pragma once

#include <QtGlobal>
#include <algorithm>

// How long the run's blocks are. Between two blocks the window handles its
// events and repaints the status caption, which waits for the display
// server and takes about half a millisecond. Blocks of TargetNanoseconds
// keep that under 5 % of the run; a block never runs past its deadline, a
// little later, so that the window still answers within 16 ms, a frame,
// when a block is slowed by chance (another program, the system reclaiming
// memory). Reading speeds differ a thousandfold between a file in the page
// cache and one on a slow disk, so the length follows the speed of the last
// block: what that speed reads in the target, from half the last length up
// to MostGrowth times it, from ShortestBlock up to LongestBlock, in whole
// Granules. The deadline takes the place of caution: a length that a block
// fast by chance made too long is cut there. The last block of a file is
// kept to a quarter of the length: the window waits for it and for the
// run's last steps (the dump list shown, both boxes painted) in one turn. A
// fixed length, for tests, never changes and has no deadline.
class BlockPacer
{
public:
    static constexpr qint64 ShortestBlock = qint64(1) << 20;
    static constexpr qint64 LongestBlock = qint64(64) << 20;
    static constexpr qint64 Granule = qint64(64) << 10;
    static constexpr qint64 TargetNanoseconds = 14'000'000;
    static constexpr qint64 DeadlineNanoseconds = 14'500'000;
    static constexpr double MostGrowth = 8;

    // 0: paced, starting at ShortestBlock.
    explicit BlockPacer(qint64 fixedLength = 0)
        : m_fixed(fixedLength > 0)
        , m_length(m_fixed ? fixedLength : ShortestBlock)
    {
    }

    qint64 length() const { return m_length; }
    // The next block's length when `remaining` bytes of the file are left:
    // at most length(); when they fit in one block, all but a last quarter
    // block, so that the last block is short.
    qint64 lengthBefore(qint64 remaining) const
    {
        const qint64 tail = m_length / 4;
        if (m_fixed || remaining <= tail || remaining > m_length)
            return std::min(remaining, m_length);
        return remaining - tail;
    }

    // Whether a block that has run for `elapsed` ns ends rather than read a
    // piece that would take `piece` ns more.
    bool endsBefore(qint64 elapsed, qint64 piece) const { return !m_fixed && elapsed + std::max<qint64>(piece, 1) > DeadlineNanoseconds; }

    // The last block read `bytes` in `nanoseconds`, dumped and indexed.
    void took(qint64 bytes, qint64 nanoseconds)
    {
        if (m_fixed)
            return;
        const double allowed = double(bytes) * double(TargetNanoseconds) / double(std::max<qint64>(nanoseconds, 1));
        const auto length = qint64(std::clamp(allowed, double(m_length) / 2, double(m_length) * MostGrowth)) / Granule * Granule;
        m_length = std::clamp(length, ShortestBlock, LongestBlock);
    }

private:
    bool m_fixed;
    qint64 m_length;
};
