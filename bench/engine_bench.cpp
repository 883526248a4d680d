// The whole dump run (DumpEngine::RunDump with a window that does nothing)
// against xxd and hexdump -C, on the same two files in the same run:
//
//   build-bench/bench/engine_bench                            # 256 MiB files
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/engine_bench  # a quick run
//
// The files, random bytes and Shift-JIS text lines, are made once in a
// temporary folder and read once before anything is timed. Every peer runs
// as a child process, timed from fork to exit; its peak memory comes from
// wait4. Five repetitions by default (three for hexdump -C, which takes
// some 45 s a run on 256 MiB), interleaved at random across peers; Google
// Benchmark's own flags (--benchmark_repetitions=N, ...) override them.
// The last line is `ratio-vs-xxd binary=R1 sjis=R2`: the engine's median MB/s
// over xxd's, for each file.

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "EngineRun.h"
#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr double MB = 1e6;
constexpr double MiB = 1 << 20;
constexpr double RatioTarget = 3.0;
constexpr double DumpListTarget = 1 << 20;

struct Input
{
    std::string kind; // "binary" or "sjis"
    QString path;
};

const std::vector<std::string> Peers = {"engine", "xxd", "hexdump-C"};
constexpr int Repetitions = 5;
constexpr int SlowPeerRepetitions = 3;

qint64 fileSizeFromEnvironment()
{
    const QByteArray text = qgetenv("HEXMOTH_BENCH_FILE_MIB");
    if (text.isEmpty())
        return qint64(256) << 20;
    bool ok = false;
    const qint64 mib = text.toLongLong(&ok);
    if (!ok || mib < 1 || mib > 4096)
        throw std::runtime_error("HEXMOTH_BENCH_FILE_MIB must be a whole number of MiB from 1 to 4096");
    return mib << 20;
}

bool repetitionsChosen(int argc, char **argv)
{
    if (std::getenv("BENCHMARK_REPETITIONS"))
        return true;
    return std::any_of(argv + 1, argv + argc, [](const char *argument) { return std::strstr(argument, "--benchmark_repetitions") == argument; });
}

// Our defaults first, so that the command line (and Google Benchmark's
// BENCHMARK_* environment variables) can override them.
std::vector<char *> argumentsWithDefaults(int argc, char **argv)
{
    static std::vector<std::string> defaults;
    static const std::string repetitions = "--benchmark_repetitions=" + std::to_string(Repetitions);
    const std::pair<const char *, const char *> wanted[] = {
        {"BENCHMARK_REPETITIONS", repetitions.c_str()},
        {"BENCHMARK_ENABLE_RANDOM_INTERLEAVING", "--benchmark_enable_random_interleaving=true"},
        {"BENCHMARK_DISPLAY_AGGREGATES_ONLY", "--benchmark_display_aggregates_only=true"},
    };
    for (const auto &[variable, flag] : wanted)
        if (!std::getenv(variable))
            defaults.emplace_back(flag);
    std::vector<char *> arguments{argv[0]};
    for (std::string &flag : defaults)
        arguments.push_back(flag.data());
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    return arguments;
}

void record(benchmark::State &state, const ChildProcess::Outcome &outcome, qint64 size)
{
    if (!outcome.ok) {
        state.SkipWithError(outcome.failure.c_str());
        return;
    }
    state.SetIterationTime(outcome.seconds);
    state.counters["MB/s"] = double(size) / MB / outcome.seconds;
    state.counters["peak_MiB"] = double(outcome.peakBytes) / MiB;
    state.counters["user_ms"] = outcome.userSeconds * 1e3;
    state.counters["sys_ms"] = outcome.systemSeconds * 1e3;
}

void measureEngine(benchmark::State &state, const QString &path, qint64 size)
{
    const ChildProcess::Outcome outcome = ChildProcess::fork([&] { return EngineRun::toReport(EngineRun::measure(path, size)); });
    record(state, outcome, size);
    if (!outcome.ok)
        return;
    const EngineRun::Figures figures = EngineRun::fromReport(outcome.report);
    state.counters["RunDump_MB/s"] = double(size) / MB / figures.runSeconds;
    state.counters["list_bytes"] = double(figures.dumpListHeapBytes);
    state.counters["list_chars"] = double(figures.dumpListLength);
}

void registerPeers(const Input &input, qint64 size, bool repetitionsChosen)
{
    const std::string path = input.path.toStdString();
    const std::vector<std::vector<std::string>> commands = {{}, {"xxd", path}, {"hexdump", "-C", path}};
    for (std::size_t i = 0; i < Peers.size(); ++i) {
        const QString enginePath = input.path;
        const std::vector<std::string> command = commands[i];
        auto *benchmark = benchmark::RegisterBenchmark((input.kind + "/" + Peers[i]).c_str(), [=](benchmark::State &state) {
            for (auto _ : state) {
                if (command.empty())
                    measureEngine(state, enginePath, size);
                else
                    record(state, ChildProcess::run(command), size);
            }
        });
        benchmark->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
        if (Peers[i] == "hexdump-C" && !repetitionsChosen)
            benchmark->Repetitions(SlowPeerRepetitions);
    }
}

std::optional<double> ratio(const MedianReporter &medians, const std::string &kind, const std::string &peer)
{
    const auto engine = medians.median(kind + "/engine", "MB/s");
    const auto other = medians.median(kind + "/" + peer, "MB/s");
    if (!engine || !other)
        return std::nullopt;
    return *engine / *other;
}

const char *verdict(std::optional<double> value, double limit, bool atLeast)
{
    if (!value)
        return "n/a";
    return (atLeast ? *value >= limit : *value <= limit) ? "met" : "MISSED";
}

void printFigures(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    std::printf("\nmedians:\n%-8s %-10s %5s %10s %10s %9s %9s %14s %12s\n", "file", "peer", "runs", "MB/s", "peak MiB", "user ms",
                "sys ms", "RunDump MB/s", "list bytes");
    for (const Input &input : inputs)
        for (const std::string &peer : Peers) {
            const std::string name = input.kind + "/" + peer;
            std::printf("%-8s %-10s %5d %10s %10s %9s %9s %14s %12s\n", input.kind.c_str(), peer.c_str(), medians.repetitions(name),
                        figure(medians.median(name, "MB/s"), 1).c_str(), figure(medians.median(name, "peak_MiB"), 1).c_str(),
                        figure(medians.median(name, "user_ms"), 0).c_str(), figure(medians.median(name, "sys_ms"), 0).c_str(),
                        peer == "engine" ? figure(medians.median(name, "RunDump_MB/s"), 1).c_str() : "",
                        peer == "engine" ? figure(medians.median(name, "list_bytes"), 0).c_str() : "");
        }
}

void printTargets(const MedianReporter &medians, const std::vector<Input> &inputs, qint64 size)
{
    const double peakBudget = (2.5 * double(size) + 64 * MiB) / MiB;
    std::printf("\ntargets (medians):\n");
    for (const Input &input : inputs) {
        const std::string engine = input.kind + "/engine";
        const auto speed = ratio(medians, input.kind, "xxd");
        const auto peak = medians.median(engine, "peak_MiB");
        const auto list = medians.median(engine, "list_bytes");
        std::printf("  %-6s engine/xxd MB/s %s >= %.0f: %s; peak %s MiB <= 2.5 x size + 64 MiB = %.1f MiB: %s; "
                    "dump list %s bytes < 1 MiB: %s\n",
                    input.kind.c_str(), figure(speed, 2).c_str(), RatioTarget, verdict(speed, RatioTarget, true),
                    figure(peak, 1).c_str(), peakBudget, verdict(peak, peakBudget, false), figure(list, 0).c_str(),
                    verdict(list, DumpListTarget - 1, false));
    }
}

void printRatios(const MedianReporter &medians, const std::vector<Input> &inputs, const std::string &peer)
{
    std::printf("ratio-vs-%s", peer.c_str());
    for (const Input &input : inputs)
        std::printf(" %s=%s", input.kind.c_str(), figure(ratio(medians, input.kind, peer), 2).c_str());
    std::printf("\n");
}

void printHeader(const BenchFiles &files, qint64 size, qint64 floor)
{
    std::printf("engine: DumpEngine::RunDump with a window that does nothing, in a forked child; "
                "xxd FILE and hexdump -C FILE with their output to /dev/null\n"
                "files: binary = %lld random bytes, sjis = %lld bytes of Shift-JIS text lines with CR LF, in %s; "
                "page cache warmed: each file was written, synced and read once before timing, so every peer reads from the cache\n"
                "times: wall clock from fork to exit, the same for every peer; MB/s with MB = 10^6 bytes; "
                "RunDump MB/s times the run alone, inside the child\n"
                "user ms, sys ms: the child's CPU time in user space and in the kernel, from wait4\n"
                "peak: the child's ru_maxrss from wait4; a child that does nothing already peaks at %.1f MiB "
                "(pages it shares with this process), counted in every peak\n"
                "list bytes: heap the engine still holds after a run once the window has let go of the file's text: the dump list\n",
                (long long)size, (long long)size, qPrintable(files.folder()), double(floor) / MiB);
    std::fflush(stdout);
}

int runBenchmarks(int argc, char **argv)
{
    const qint64 size = fileSizeFromEnvironment();
    std::vector<char *> arguments = argumentsWithDefaults(argc, argv);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 2;
    BenchFiles files;
    const std::vector<Input> inputs = {{"binary", files.writeRandomBinary(QStringLiteral("random.bin"), size, 1)},
                                       {"sjis", files.writeShiftJisText(QStringLiteral("japanese.txt"), size, 2)}};
    for (const Input &input : inputs)
        registerPeers(input, size, repetitionsChosen(argc, argv));
    printHeader(files, size, ChildProcess::floor());
    MedianReporter medians;
    benchmark::RunSpecifiedBenchmarks(&medians);
    std::fflush(stdout);
    printFigures(medians, inputs);
    printTargets(medians, inputs, size);
    printRatios(medians, inputs, "hexdump-C");
    printRatios(medians, inputs, "xxd");
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return runBenchmarks(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "engine_bench: %s\n", e.what());
        return 1;
    }
}
