// Slow and stalled storage, through the program's window (WindowRun, each
// run in a fresh process): a share whose read hangs for 20 s, a share that
// serves 20 MB/s (both a FUSE passthrough, ThrottledShare; skipped with a
// message where FUSE is missing), and a file read cold from this machine's
// disk against `cat` of it, the cache emptied before each.
//
//   build-bench/bench/storage_bench
//   build-bench/bench/storage_bench --benchmark_filter=stall   # the stalls only

#include "Bench.h"
#include "ChildProcess.h"
#include "ThrottledShare.h"
#include "WindowRun.h"
#include "WindowRunChild.h"

#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 ShareFileSize = qint64(64) << 20;
constexpr qint64 StallAt = qint64(8) << 20;
constexpr int StallSeconds = 20;
constexpr int ToldThenActMs = 3000; // into the stall, after the caption told it
constexpr double SlowShareBytesPerSecond = 20e6;
constexpr qint64 ColdFileSize = qint64(2) << 30;
constexpr double StallGapGoalMs = 50;
constexpr double StopGoalMs = 100;
constexpr double SlowGapGoalMs = 16;
constexpr double ColdRatioGoal = 1.2;

const QString ShareFile = QStringLiteral("share.bin");
QString shareMissing;

// What the page cache holds of the file is let go of.
void evict(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}


// The whole run from a share paced as `options` say: its longest gap.
void shareRun(Bench &bench, benchmark::State &state, const ThrottledShare::Options &options)
{
    ThrottledShare share(bench.files().folder(), options);
    const ChildProcess::Outcome run = WindowRunChild::run(share.path(ShareFile), ShareFileSize);
    if (!run.ok)
        return state.SkipWithError(run.failure.c_str());
    const auto figures = ChildProcess::figuresFrom<WindowRun::Figures>(run.report);
    state.SetIterationTime(figures.runMs / 1e3);
    state.counters = {{"window_ms", figures.runMs}, {"gap_ms", figures.longestGapMs}, {"gap_at_ms", figures.longestGapEndedMs},
        {"end_gap_ms", figures.longestEndGapMs}};
    run.count(state.counters);
}

// The whole run through a stall of StallSeconds.
void stallWhole(Bench &bench, benchmark::State &state)
{
    shareRun(bench, state, {0, StallAt, StallSeconds});
}

// 停止 clicked, or the window closed, ToldThenActMs after the stall was told.
void stallEnded(Bench &bench, benchmark::State &state, bool close)
{
    ThrottledShare share(bench.files().folder(), {0, StallAt, StallSeconds});
    const ChildProcess::Outcome run = ChildProcess::runSelf(close ? "window-stall-close" : "window-stall-stop",
                                                            {share.path(ShareFile).toStdString(), std::to_string(ShareFileSize)});
    const qint64 exitedNs = WindowRun::nowNs();
    if (!run.ok)
        return state.SkipWithError(run.failure.c_str());
    const auto stall = ChildProcess::figuresFrom<WindowRun::Stall>(run.report);
    state.SetIterationTime(stall.stopMs / 1e3);
    state.counters = {{"told_ms", stall.toldMs}, {"gap_ms", stall.longestGapMs}, {"stop_ms", stall.stopMs},
        {"dumped_MiB", double(stall.dumped) / double(1 << 20)}};
    if (close)
        state.counters["exit_ms"] = double(exitedNs - stall.closedAtNs) / 1e6;
}

void slowShare(Bench &bench, benchmark::State &state)
{
    shareRun(bench, state, {SlowShareBytesPerSecond, -1, 0});
}

// `cat` and the window in turns, each from a cache emptied of the file.
// The first read of a file just written from this machine's disk takes
// five times as long as the next ones (3.4 s against 0.63 s for `cat`),
// whoever makes it: it is made once, untimed, before the first turn.
void cold(Bench &bench, benchmark::State &state)
{
    static QString path;
    if (path.isEmpty()) {
        path = bench.files().writeRandomBinary(QStringLiteral("cold.bin"), ColdFileSize, 3);
        evict(path);
        ChildProcess::run({"cat", path.toStdString()});
    }
    evict(path);
    const ChildProcess::Outcome cat = ChildProcess::run({"cat", path.toStdString()});
    evict(path);
    const ChildProcess::Outcome run = WindowRunChild::run(path, ColdFileSize);
    if (!cat.ok || !run.ok)
        return state.SkipWithError((!cat.ok ? cat.failure : run.failure).c_str());
    const auto figures = ChildProcess::figuresFrom<WindowRun::Figures>(run.report);
    state.SetIterationTime(figures.runMs / 1e3);
    state.counters = {{"window_ms", figures.runMs}, {"cat_ms", cat.seconds * 1e3}, {"ratio", figures.runMs / (cat.seconds * 1e3)},
        {"gap_ms", figures.longestGapMs}, {"gap_at_ms", figures.longestGapEndedMs}, {"end_gap_ms", figures.longestEndGapMs}};
    run.count(state.counters);
}

void setUp(Bench &bench)
{
    shareMissing = ThrottledShare::unavailableReason();
    if (shareMissing.isEmpty()) {
        bench.files().writeRandomBinary(ShareFile, ShareFileSize, 2);
        bench.add("stall/whole", [&bench](benchmark::State &state) { stallWhole(bench, state); }, 1);
        bench.add("stall/stop", [&bench](benchmark::State &state) { stallEnded(bench, state, false); });
        bench.add("stall/close", [&bench](benchmark::State &state) { stallEnded(bench, state, true); });
        bench.add("share/20MBps", [&bench](benchmark::State &state) { slowShare(bench, state); });
    } else {
        std::printf("the share's cases are skipped: %s\n", qPrintable(shareMissing));
    }
    bench.add("cold/2GiB", [&bench](benchmark::State &state) { cold(bench, state); });
    std::printf("the program's window in a fresh process on %s; a %lld MiB file on a FUSE share whose read at %lld MiB\n"
                "  hangs for %d s, or that serves %.0f MB/s; gaps between ticks of a 1 ms timer, from the click on\n"
                "  「ファイルを開く」; stop = 停止 clicked (or the window closed) %d ms after the caption told the wait, to\n"
                "  「実行終了」; exit = the window closed to the process reaped; cold = a %lld MiB file evicted from the cache\n"
                "  (POSIX_FADV_DONTNEED) before `cat` and before the window's run\n",
                qPrintable(bench.displayDescription()), (long long)(ShareFileSize >> 20), (long long)(StallAt >> 20), StallSeconds,
                SlowShareBytesPerSecond / 1e6, ToldThenActMs, (long long)(ColdFileSize >> 20));
}

void report(Bench &bench)
{
    const MedianReporter &m = bench.medians();
    std::printf("\nmedians:\n");
    m.printTable("case", {"stall/whole", "stall/stop", "stall/close", "share/20MBps", "cold/2GiB"},
        {{"runs", [&](const std::string &row) { return std::to_string(m.repetitions(row)); }}, {"window ms", "window_ms"},
         {"gap ms", "gap_ms", 2}, {"gap at", "gap_at_ms"}, {"end gap", "end_gap_ms", 2}, {"told ms", "told_ms"}, {"stop ms", "stop_ms", 2}, {"exit ms", "exit_ms", 2},
         {"dumped MiB", "dumped_MiB", 2}, {"cat ms", "cat_ms"}, {"ratio", "ratio", 2}, {"peak MiB", "peak_MiB"}});
    if (!shareMissing.isEmpty())
        std::printf("goals on the share: n/a (%s)\n", qPrintable(shareMissing));
    const auto stallGap = std::max(m.median("stall/whole", "gap_ms").value_or(0), m.median("stall/stop", "gap_ms").value_or(0));
    std::printf("goal longest gap through a %d s stall %s ms <= %.0f ms: %s\n", StallSeconds,
                figure(m.median("stall/whole", "gap_ms"), 2).c_str(), StallGapGoalMs, verdict(m.median("stall/whole", "gap_ms"), StallGapGoalMs));
    std::printf("goal 停止 during a stall to 「実行終了」 %s ms <= %.0f ms: %s (longest gap before it %s ms)\n",
                figure(m.median("stall/stop", "stop_ms"), 2).c_str(), StopGoalMs, verdict(m.median("stall/stop", "stop_ms"), StopGoalMs),
                figure(stallGap, 2).c_str());
    std::printf("goal window closed during a stall: process gone %s ms after\n", figure(m.median("stall/close", "exit_ms"), 2).c_str());
    std::printf("goal longest gap on a %.0f MB/s share %s ms <= %.0f ms: %s\n", SlowShareBytesPerSecond / 1e6,
                figure(m.median("share/20MBps", "gap_ms"), 2).c_str(), SlowGapGoalMs, verdict(m.median("share/20MBps", "gap_ms"), SlowGapGoalMs));
    std::printf("goal cold %lld MiB: window / cat %s <= %.1f: %s\n", (long long)(ColdFileSize >> 20),
                figure(m.median("cold/2GiB", "ratio"), 2).c_str(), ColdRatioGoal, verdict(m.median("cold/2GiB", "ratio"), ColdRatioGoal));
}

} // namespace

int main(int argc, char **argv)
{
    Bench bench("storage_bench", setUp, report);
    bench.repetitions = 3;
    bench.tabular = true;
    bench.display = true;
    WindowRunChild::add(bench);
    for (const bool close : {false, true})
        bench.addChild(close ? "window-stall-close" : "window-stall-stop", [close](const std::vector<std::string> &arguments) {
            return ChildProcess::reportOf(WindowRun::measureStall(QString::fromStdString(arguments.at(0)), std::stoll(arguments.at(1)),
                                                               ToldThenActMs, close));
        });
    return bench.run(argc, argv);
}
