#include "SignalCleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::size_t MaxPathLength = 4096;
char paths[SignalCleanup::MaxPaths][MaxPathLength];
std::atomic<int> pathCount{0};
pid_t owner = 0; // forked children share the paths but leave them alone

} // namespace

void SignalCleanup::add(const QByteArray &path)
{
    const int index = pathCount.load();
    if (index >= MaxPaths || std::size_t(path.size()) >= MaxPathLength)
        return;
    if (owner == 0) {
        owner = ::getpid();
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, &SignalCleanup::onSignal);
    }
    std::memcpy(paths[index], path.constData(), std::size_t(path.size()) + 1);
    pathCount.store(index + 1);
}

void SignalCleanup::clear()
{
    pathCount.store(0);
}

// Only async-signal-safe calls from here on.
void SignalCleanup::onSignal(int signal)
{
    if (::getpid() == owner) {
        for (int i = pathCount.load() - 1; i >= 0; --i)
            if (::unlink(paths[i]) != 0)
                ::rmdir(paths[i]);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
