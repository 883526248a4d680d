#pragma once

#include <QElapsedTimer>
#include <QTimer>

// How long a loop went between two ticks: the longest gap over a stretch of
// time, and the longest of the gaps that ended after mark() (the end of a
// run, say). start() ticks a 1 ms timer wherever the event loop runs, nested
// loops (processEvents) included; a loop without one (the engine's, between
// two calls to handle events) calls tick() itself instead.
class EventLoopGaps
{
public:
    EventLoopGaps();

    // Starts ticking; the first gap runs from here. Times are from here too.
    void start();
    // A gap ends here. Without start(), the first tick starts the clock.
    void tick();
    // Gaps that end from now on count in longestAfterMarkMs() as well.
    void mark() { m_marked = true; }
    // Counts the time since the last tick as one more gap (the loop has
    // control again when this is called from it), and stops ticking.
    void stop();

    double elapsedMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    double longestMs() const { return m_longestMs; }
    double longestEndedAtMs() const { return m_longestEndedAtMs; } // from start()
    double longestAfterMarkMs() const { return m_longestAfterMarkMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_lastTickMs = 0;
    double m_longestMs = 0;
    double m_longestEndedAtMs = 0;
    double m_longestAfterMarkMs = 0;
    bool m_marked = false;
};
