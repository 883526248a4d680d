#pragma once

#include <QByteArray>

// Paths removed when this process is ended by SIGINT, SIGTERM or SIGHUP, so
// that an interrupted benchmark leaves no large files behind. The signal
// then takes its default course. Paths go in the order they were made and
// are removed in reverse (files before their folder); at most MaxPaths.
class SignalCleanup
{
public:
    static constexpr int MaxPaths = 8;

    static void add(const QByteArray &path);
    // Forgets them all, once they are removed the ordinary way.
    static void clear();

private:
    static void onSignal(int signal);
};
