#include "BlockWalker.h"

#include <algorithm>
#include <bit>

BlockWalker::Units BlockWalker::walkTo(qint64 target, const Block &block, const TextMetrics &metrics)
{
    // In locals, which nothing else can change, so they stay in registers.
    qint64 position = m_position;
    Units x = m_x;
    const unsigned char *bytes = block.bytes;
    if (m_waiting >= 0) {
        if (target <= position || block.end <= block.start)
            return x;
        const TextMetrics::Step step = metrics.step(x, std::uint8_t(m_waiting), bytes[0]);
        position += step.length;
        x = step.x;
        m_waiting = -1;
    }
    // Every character that starts before `withNext` has its next byte here.
    const qint64 withNext = std::min(target, block.end - 1);
    const qint64 firstWord = block.start & ~qint64(63);
    while (position < withNext) {
        const qint64 wordStart = position & ~qint64(63);
        std::uint64_t starts = ~block.trails[(wordStart - firstWord) >> 6] & (~std::uint64_t(0) << (position - wordStart));
        if (withNext - wordStart < 64)
            starts &= (std::uint64_t(1) << (withNext - wordStart)) - 1;
        for (; starts != 0; starts &= starts - 1) {
            const qint64 at = wordStart + std::countr_zero(starts) - block.start;
            const TextMetrics::Step step = metrics.step(x, bytes[at], bytes[at + 1]);
            x = step.x;
            position = block.start + at + step.length;
        }
        position = std::max(position, std::min(wordStart + 64, withNext));
    }
    if (position < target) { // the block's last byte
        const std::uint8_t b = bytes[position - block.start];
        if (b == '\t') {
            x = metrics.nextTabStop(x);
            ++position;
        } else {
            m_waiting = b;
        }
    }
    m_position = position;
    m_x = x;
    return x;
}
