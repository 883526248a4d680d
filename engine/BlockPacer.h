#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cmath>

// How long the run's blocks are. Between two blocks the window handles its
// events and repaints the status caption, which waits for the display
// server and takes about half a millisecond. A block of TargetNanoseconds
// keeps that under 5 % of the run, and one that runs a sixth over the
// target still lets the window answer within 16 ms, a frame. Reading
// speeds differ a thousandfold between a file in the page cache and one on
// a slow disk, so the length follows the speed of the last block, from
// ShortestBlock up to LongestBlock, in whole Granules. A slower block than
// the target shortens the next at once, to at most half; a faster one
// lengthens it by the square root of what its speed would allow, at most
// doubled: a block that was fast by chance then makes the next one overshoot
// the target by that root rather than by the whole chance, and a steady
// speed still nears the target within a few blocks. The last block of a
// file is kept to a quarter of the length: the window waits for it and for
// the run's last steps (the dump list shown, both boxes painted) in one
// turn. A fixed length, for tests, never changes.
class BlockPacer
{
public:
    static constexpr qint64 ShortestBlock = qint64(1) << 20;
    static constexpr qint64 LongestBlock = qint64(32) << 20;
    static constexpr qint64 Granule = qint64(64) << 10;
    static constexpr qint64 TargetNanoseconds = 13'000'000;

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

    // The last block took `nanoseconds` to read, dump and index.
    void took(qint64 nanoseconds)
    {
        if (m_fixed)
            return;
        const double allowed = double(TargetNanoseconds) / double(std::max<qint64>(nanoseconds, 1));
        const double scale = allowed < 1 ? std::max(allowed, 0.5) : std::min(std::sqrt(allowed), 2.0);
        const qint64 length = qint64(double(m_length) * scale) / Granule * Granule;
        m_length = std::clamp(length, ShortestBlock, LongestBlock);
    }

private:
    bool m_fixed;
    qint64 m_length;
};
