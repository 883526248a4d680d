// The whole dump run (EngineRun, in a forked child) against xxd and
// hexdump -C, on the same two files, in random turns; the last line is the
// engine's MB/s over xxd's: `ratio-vs-xxd binary=R1 sjis=R2`.
//
//   build-bench/bench/engine_bench                            # 256 MiB files
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/engine_bench  # a quick run

#include "Bench.h"
#include "ChildProcess.h"
#include "EngineRun.h"

#include <cstdio>

namespace {

constexpr double MB = 1e6;
constexpr double MiB = 1 << 20;
constexpr double RatioGoal = 15.0;
constexpr double DumpListGoal = (1 << 20) - 1;
constexpr int SlowPeerRepetitions = 3;

const std::vector<std::string> Peers = {"engine", "xxd", "hexdump-C"};
const std::vector<std::string> Kinds = {"binary", "sjis"};

void record(benchmark::State &state, const ChildProcess::Outcome &outcome, qint64 size)
{
    if (!outcome.ok) {
        state.SkipWithError(outcome.failure.c_str());
        return;
    }
    state.SetIterationTime(outcome.seconds);
    state.counters["MB/s"] = double(size) / MB / outcome.seconds;
    outcome.count(state.counters);
}

void measureEngine(benchmark::State &state, const QString &path, qint64 size)
{
    const ChildProcess::Outcome outcome = ChildProcess::fork([&] { return ChildProcess::reportOf(EngineRun::measure(path, size)); });
    record(state, outcome, size);
    if (!outcome.ok)
        return;
    const EngineRun::Figures figures = ChildProcess::figuresFrom<EngineRun::Figures>(outcome.report);
    state.counters["RunDump_MB/s"] = double(size) / MB / figures.runSeconds;
    state.counters["list_bytes"] = double(figures.dumpListHeapBytes);
}

void addPeers(Bench &bench, const std::string &kind, const QString &path)
{
    const qint64 size = bench.fileSize();
    const std::string file = path.toStdString();
    bench.add(kind + "/engine", [=](benchmark::State &state) { measureEngine(state, path, size); });
    bench.add(kind + "/xxd", [=](benchmark::State &state) { record(state, ChildProcess::run({"xxd", file}), size); });
    bench.add(kind + "/hexdump-C", [=](benchmark::State &state) {
        record(state, ChildProcess::run({"hexdump", "-C", file}), size);
    }, SlowPeerRepetitions);
}

void setUp(Bench &bench)
{
    const qint64 size = bench.fileSize();
    addPeers(bench, "binary", bench.files().writeRandomBinary(QStringLiteral("random.bin"), size, 1));
    addPeers(bench, "sjis", bench.files().writeShiftJisText(QStringLiteral("japanese.txt"), size, 2));
    std::printf("engine: DumpEngine::RunDump with a window that does nothing, in a forked child; "
                "xxd FILE and hexdump -C FILE with their output to /dev/null\n"
                "files: binary = %lld random bytes, sjis = %lld bytes of Shift-JIS text lines with CR LF, in %s, "
                "in the page cache\n"
                "times: wall clock from fork to exit; MB/s with MB = 10^6 bytes; RunDump MB/s times the run alone\n"
                "user ms, sys ms: the child's CPU time from wait4; peak: its ru_maxrss, of which %.1f MiB are pages "
                "shared with this process\n"
                "list bytes: heap the engine still holds after a run once the window has let go of the text: the dump list\n",
                (long long)size, (long long)size, qPrintable(bench.files().folder()), double(ChildProcess::floor()) / MiB);
}

std::optional<double> speedRatio(const MedianReporter &medians, const std::string &kind, const std::string &peer)
{
    return ratio(medians.median(kind + "/engine", "MB/s"), medians.median(kind + "/" + peer, "MB/s"));
}

void printFigures(const MedianReporter &medians)
{
    std::vector<std::string> rows;
    for (const std::string &kind : Kinds)
        for (const std::string &peer : Peers)
            rows.push_back(kind + "/" + peer);
    const auto engineOnly = [&](const char *counter, int decimals) {
        return [&medians, counter, decimals](const std::string &row) {
            return row.ends_with("/engine") ? figure(medians.median(row, counter), decimals) : std::string();
        };
    };
    std::printf("\nmedians:\n");
    medians.printTable("file/peer", rows, {{"runs", [&](const std::string &row) { return std::to_string(medians.repetitions(row)); }},
        {"MB/s", "MB/s"}, {"peak MiB", "peak_MiB"}, {"user ms", "user_ms", 0}, {"sys ms", "sys_ms", 0},
        {"RunDump MB/s", engineOnly("RunDump_MB/s", 1)}, {"list bytes", engineOnly("list_bytes", 0)}});
}

void printGoals(const MedianReporter &medians, qint64 size)
{
    const double peakGoal = (2.5 * double(size) + 64 * MiB) / MiB;
    std::printf("\ngoals (medians):\n");
    for (const std::string &kind : Kinds) {
        const auto speed = speedRatio(medians, kind, "xxd");
        const auto peak = medians.median(kind + "/engine", "peak_MiB");
        const auto list = medians.median(kind + "/engine", "list_bytes");
        std::printf("  %-6s engine/xxd MB/s %s >= %.0f: %s; peak %s MiB <= 2.5 x size + 64 MiB = %.1f MiB: %s; "
                    "dump list %s bytes < 1 MiB: %s\n",
                    kind.c_str(), figure(speed, 2).c_str(), RatioGoal, verdict(speed, RatioGoal, true), figure(peak, 1).c_str(),
                    peakGoal, verdict(peak, peakGoal), figure(list, 0).c_str(), verdict(list, DumpListGoal));
    }
}

void report(Bench &bench)
{
    printFigures(bench.medians());
    printGoals(bench.medians(), bench.fileSize());
    for (const std::string peer : {"hexdump-C", "xxd"}) {
        std::printf("ratio-vs-%s", peer.c_str());
        for (const std::string &kind : Kinds)
            std::printf(" %s=%s", kind.c_str(), figure(speedRatio(bench.medians(), kind, peer), 2).c_str());
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char **argv)
{
    Bench bench("engine_bench", setUp, report);
    bench.interleaved = true;
    return bench.run(argc, argv);
}
