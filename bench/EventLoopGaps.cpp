#include "EventLoopGaps.h"

#include <algorithm>
#include <utility>

EventLoopGaps::EventLoopGaps()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
}

void EventLoopGaps::start()
{
    m_clock.start();
    m_timer.start();
}

void EventLoopGaps::stop()
{
    tick();
    m_timer.stop();
}

void EventLoopGaps::tick()
{
    if (!m_clock.isValid()) {
        m_clock.start();
        return;
    }
    const double now = elapsedMs();
    const double gap = now - std::exchange(m_lastTickMs, now);
    if (gap > m_longestMs) {
        m_longestMs = gap;
        m_longestEndedAtMs = now;
    }
    if (m_marked)
        m_longestAfterMarkMs = std::max(m_longestAfterMarkMs, gap);
}
