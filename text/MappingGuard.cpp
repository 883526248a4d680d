#include "MappingGuard.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Slot
{
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<qint64> vanished{0};
};

Slot slots[MappingGuard::Slots];
struct sigaction previousAction {};
std::uintptr_t pageSize = 4096;

// Passes a fault that is not ours on as if this handler were not there.
void passOn(int signal, siginfo_t *info, void *context)
{
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL); // the fault repeats on return and ends the program
}

// Only async-signal-safe work: atomics and mmap. Every page from the one
// that faulted to the mapping's end lies past the file's new end, so all of
// them are replaced at once: one map entry however many pages are read.
void onBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot &slot : slots) {
        const std::uintptr_t start = slot.start.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (start == 0 || address < start || address >= end)
            continue;
        const std::uintptr_t page = address & ~(pageSize - 1);
        const std::uintptr_t length = ((end + pageSize - 1) & ~(pageSize - 1)) - page;
        if (::mmap(reinterpret_cast<void *>(page), length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            slot.vanished.fetch_add(1, std::memory_order_relaxed);
            return;
        }
    }
    passOn(signal, info, context);
}

void install()
{
    static const bool installed = [] {
        pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previousAction) == 0;
    }();
    Q_UNUSED(installed);
}

} // namespace

int MappingGuard::add(const char *start, qint64 length)
{
    install();
    for (int i = 0; i < Slots; ++i) {
        if (slots[i].start.load() != 0)
            continue;
        slots[i].vanished.store(0);
        slots[i].end.store(reinterpret_cast<std::uintptr_t>(start) + std::uintptr_t(length));
        slots[i].start.store(reinterpret_cast<std::uintptr_t>(start), std::memory_order_release);
        return i;
    }
    return -1;
}

void MappingGuard::remove(int slot)
{
    if (slot >= 0)
        slots[slot].start.store(0, std::memory_order_release);
}

bool MappingGuard::hasVanished(int slot)
{
    return slot >= 0 && slots[slot].vanished.load() > 0;
}
