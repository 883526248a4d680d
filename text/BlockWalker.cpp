#include "BlockWalker.h"

BlockWalker::Units BlockWalker::walkTo(qint64 target, const Block &block, const TextMetrics &metrics)
{
    if (m_waiting >= 0) {
        if (target <= m_position || block.end <= block.start)
            return m_x;
        const TextMetrics::Step step = metrics.step(m_x, std::uint8_t(m_waiting), block.bytes[0]);
        m_position += step.length;
        m_x = step.x;
        m_waiting = -1;
    }
    while (m_position < target) {
        const std::uint8_t b = block.bytes[m_position - block.start];
        if (m_position + 1 == block.end) {
            if (b != '\t') {
                m_waiting = b;
                break;
            }
            m_x = metrics.nextTabStop(m_x);
            ++m_position;
            break;
        }
        const TextMetrics::Step step = metrics.step(m_x, b, block.bytes[m_position + 1 - block.start]);
        m_position += step.length;
        m_x = step.x;
    }
    return m_x;
}
