#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// One measured child process. The time is wall-clock time from just before
// the fork to the reaping of the child, as the parent sees it. The peak
// memory is the child's peak resident set size as the kernel reports it at
// exit (wait4, ru_maxrss); it includes the pages the child shares with this
// process at the fork, so keep this process small and see floor().
class ChildProcess
{
public:
    struct Outcome
    {
        bool ok = false;
        std::string failure; // why not ok
        double seconds = 0;
        double userSeconds = 0;   // CPU time in the child, from wait4
        double systemSeconds = 0; // CPU time in the kernel for the child
        qint64 peakBytes = 0;
        std::string report; // what the child handed back

        // peak_MiB, user_ms and sys_ms, each name after `prefix`.
        void count(benchmark::UserCounters &counters, const std::string &prefix = {}) const;
    };

    // `command` (found on PATH), its output to /dev/null; ok on status 0.
    static Outcome run(const std::vector<std::string> &command);
    // This program again, fresh, as `SelfFlag name reportPath arguments...`:
    // Bench::run hands the arguments to the work added as `name`, and its
    // result to writeReport.
    static Outcome runSelf(const std::string &name, const std::vector<std::string> &arguments);
    static constexpr const char *SelfFlag = "--bench-child";
    static bool writeReport(const std::string &reportPath, const std::string &report);
    // `work` in a forked child, what it returns as the report; ok when it
    // returns rather than throws. The child leaves with _exit: no destructor
    // of this process runs in it.
    static Outcome fork(const std::function<std::string()> &work);
    // Peak memory of a forked child that does nothing: the share of every
    // figure above that comes from this process.
    static qint64 floor();
    // Takes `size` bytes of fresh memory in a child and lets go of them: on
    // a virtual machine that hands freed memory back to its host, the first
    // process to take memory again waits for the host; let that be no timed
    // child.
    static void warmMemory(qint64 size);
    // The machine's memory (16 GiB when it cannot be told).
    static qint64 totalMemory();

    // A child's figures, a trivially copyable struct, as its report and back.
    template<typename Figures>
    static std::string reportOf(const Figures &figures)
    {
        static_assert(std::is_trivially_copyable_v<Figures>);
        return std::string(reinterpret_cast<const char *>(&figures), sizeof figures);
    }
    template<typename Figures>
    static Figures figuresFrom(const std::string &report)
    {
        Figures figures;
        if (report.size() != sizeof figures)
            throw std::runtime_error("a child reported nothing usable");
        std::memcpy(&figures, report.data(), sizeof figures);
        return figures;
    }

private:
    // Forks; the child runs `inChild`, which must not return, with the path
    // of the file for its report, read once the child is reaped. A failure
    // names `label`.
    static Outcome launch(const std::function<void(const std::string &reportPath)> &inChild, const std::string &label = {});
    static Outcome reap(int pid, double startSeconds);
};
