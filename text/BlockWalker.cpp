#include "BlockWalker.h"

#include <algorithm>

BlockWalker::Units BlockWalker::walkTo(qint64 target, const Block &block, const TextMetrics &metrics)
{
    // In locals, which nothing else can change, so they stay in registers.
    qint64 position = m_position;
    Units x = m_x;
    if (m_waiting >= 0) {
        if (target <= position || block.end <= block.start)
            return x;
        const TextMetrics::Step step = metrics.step(x, std::uint8_t(m_waiting), block.bytes[0]);
        position += step.length;
        x = step.x;
        m_waiting = -1;
    }
    const unsigned char *bytes = block.bytes;
    const qint64 withNext = std::min(target, block.end - 1); // a character before it has its next byte here
    while (position < withNext) {
        const qint64 at = position - block.start;
        const TextMetrics::Step step = metrics.step(x, bytes[at], bytes[at + 1]);
        position += step.length;
        x = step.x;
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
