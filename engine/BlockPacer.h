#pragma once

#include <QtGlobal>
#include <algorithm>

// How long the run's blocks are. Between two blocks the window handles its
// events and repaints the status caption, so a block should take a few
// milliseconds: long enough that the caption costs little beside the
// reading, short enough that the window answers within a frame. Reading
// speeds differ a thousandfold between a file in the page cache and one on
// a slow disk, so the length follows the speed of the last block, at most
// doubled or halved at a time, from ShortestBlock up to LongestBlock, in
// whole Granules. A fixed length, for tests, never changes.
class BlockPacer
{
public:
    static constexpr qint64 ShortestBlock = qint64(1) << 20;
    static constexpr qint64 LongestBlock = qint64(32) << 20;
    static constexpr qint64 Granule = qint64(64) << 10;
    static constexpr qint64 TargetNanoseconds = 10'000'000;

    // 0: paced, starting at ShortestBlock.
    explicit BlockPacer(qint64 fixedLength = 0)
        : m_fixed(fixedLength > 0)
        , m_length(m_fixed ? fixedLength : ShortestBlock)
    {
    }

    qint64 length() const { return m_length; }

    // The last block took `nanoseconds` to read, dump and index.
    void took(qint64 nanoseconds)
    {
        if (m_fixed)
            return;
        const double scale = std::clamp(double(TargetNanoseconds) / double(std::max<qint64>(nanoseconds, 1)), 0.5, 2.0);
        const qint64 length = qint64(double(m_length) * scale) / Granule * Granule;
        m_length = std::clamp(length, ShortestBlock, LongestBlock);
    }

private:
    bool m_fixed;
    qint64 m_length;
};
