// The whole program against the engine alone, on the same files in the same
// run:
//
//   build-bench/bench/program_bench                            # 10 MB, 256 MiB, 1 GiB
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/program_bench  # a quick run, 16 MiB only
//   HEXMOTH_BENCH_SPARSE=1 build-bench/bench/program_bench     # and a 5 GiB sparse file
//   HEXMOTH_BENCH_BEYOND_MEMORY=1 build-bench/bench/program_bench  # and a sparse file of
//                                                              # MemTotal + 4 GiB
//
// window   a whole run of the program's window in a fresh process (WindowRun):
//          Command1 clicked, the file dialog answered with the file, up to
//          "実行終了" with Text1 filled and Text2 painted; its time from the
//          click to that paint, the longest gap between ticks of a 1 ms
//          timer over that time, and the process's peak memory (wait4).
// engine   the same RunDump with a window that does nothing, in a forked
//          child (EngineRun, as engine_bench runs it); the time of RunDump.
//
// Every file is random bytes ("binary") or Shift-JIS text lines ("sjis"),
// made when first needed and read once, so both runs find it in the page
// cache. Each repetition runs the window and the engine back to back, in
// turns first, right after a child that takes as much fresh memory as the
// file and lets it go (warmMemory), so that both meet the same conditions;
// three repetitions by default, medians reported; Google Benchmark's flags
// (--benchmark_filter=1GiB, --benchmark_repetitions=N) override them.
//
// Goals: window time <= 1.5 x engine time on the 1 GiB files, the longest
// gap <= 50 ms, peak memory <= 1.25 x file size + 100 MiB. The sparse file
// (one hole, as truncate -s makes it) runs once and needs 5 GiB of memory
// for each of its runs, one after the other. The file beyond memory (one
// hole of MemTotal + 4 GiB) runs once; its goal is a peak of at most 1 GiB,
// since its text is shown from the file and only its indexes take memory.
//
// Without DISPLAY the benchmark starts its own Xvfb (VirtualDisplay).

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "DumpEngine.h"
#include "EngineRun.h"
#include "MedianReporter.h"
#include "VirtualDisplay.h"
#include "WindowRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <sys/sysinfo.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double MiB = 1 << 20;
constexpr int Repetitions = 3;
constexpr double TimeRatioGoal = 1.5;
constexpr double GapGoalMs = 50;
constexpr double PeakPerByteGoal = 1.25;
constexpr double PeakAllowanceMiB = 100;
constexpr qint64 LargestGoalSize = qint64(1) << 30;
constexpr qint64 SparseSize = qint64(5) << 30;
constexpr double BeyondMemoryPeakGoalMiB = 1024;

struct Input
{
    std::string kind; // "binary", "sjis", "sparse" or "beyond" (sparse, larger than memory)
    std::string sizeName;
    qint64 size = 0;
    std::string name() const { return kind + "/" + sizeName; }
};

// Each size with its name in the report.
std::vector<std::pair<std::string, qint64>> sizesFromEnvironment()
{
    const QByteArray text = qgetenv("HEXMOTH_BENCH_FILE_MIB");
    if (text.isEmpty())
        return {{"10MB", 10'000'000}, {"256MiB", qint64(256) << 20}, {"1GiB", LargestGoalSize}};
    bool ok = false;
    const qint64 mib = text.toLongLong(&ok);
    if (!ok || mib < 1 || mib > 4096)
        throw std::runtime_error("HEXMOTH_BENCH_FILE_MIB must be a whole number of MiB from 1 to 4096");
    return {{std::to_string(mib) + "MiB", mib << 20}};
}

double peakBoundMiB(qint64 size)
{
    return PeakPerByteGoal * double(size) / MiB + PeakAllowanceMiB;
}

bool isHole(const Input &input)
{
    return input.kind == "sparse" || input.kind == "beyond";
}

double peakBoundMiB(const Input &input)
{
    return input.kind == "beyond" ? BeyondMemoryPeakGoalMiB : peakBoundMiB(input.size);
}

qint64 totalMemory()
{
    struct sysinfo info {};
    return ::sysinfo(&info) == 0 ? qint64(info.totalram) * info.mem_unit : qint64(16) << 30;
}

// ---- the two children -------------------------------------------------------

int windowChild(const char *path, const char *size, const char *reportFd)
{
    try {
        const std::string report = WindowRun::toReport(WindowRun::measure(QString::fromLocal8Bit(path), std::strtoll(size, nullptr, 10)));
        const int fd = std::atoi(reportFd);
        return ::write(fd, report.data(), report.size()) == ssize_t(report.size()) ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "program_bench window run: %s\n", e.what());
        return 1;
    }
}

std::string readAll(int fd)
{
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        bytes.append(buffer, std::size_t(n));
    }
    return bytes;
}

// This program again, as a fresh process, for one WindowRun; it hands its
// figures back through a pipe it inherits. Its report is small, so reading
// it once the child is gone cannot block the child.
ChildProcess::Outcome runWindow(const QString &path, qint64 size)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0 || ::fcntl(ends[1], F_SETFD, 0) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    ChildProcess::Outcome outcome =
        ChildProcess::run({self, "--window-run", path.toStdString(), std::to_string(size), std::to_string(ends[1])});
    ::close(ends[1]);
    outcome.report = readAll(ends[0]);
    ::close(ends[0]);
    return outcome;
}

ChildProcess::Outcome runEngine(const QString &path, qint64 size)
{
    return ChildProcess::fork([&] { return EngineRun::toReport(EngineRun::measure(path, size)); });
}

// Takes `size` bytes of fresh memory in a child and lets go of them. On a
// virtual machine that hands freed memory back to its host, the first
// process to take memory again after a pause waits for the host, several
// times longer than the next; this makes sure neither timed run is it.
void warmMemory(qint64 size)
{
    ChildProcess::fork([size] {
        void *memory = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        for (qint64 offset = 0; offset < size; offset += 4096)
            static_cast<volatile char *>(memory)[offset] = 1;
        return std::string();
    });
}

// ---- one repetition: the window and the engine, in turns first ----------------

struct Last
{
    WindowRun::Figures window; // of the last window run of an input
    double worstGapMs = 0;      // of all its window runs
};
std::map<std::string, Last> lastRuns;

void record(benchmark::State &state, const WindowRun::Figures &window, const ChildProcess::Outcome &windowProcess,
            const EngineRun::Figures &engine, const ChildProcess::Outcome &engineProcess, qint64 size)
{
    const double engineMs = engine.runSeconds * 1e3;
    state.SetIterationTime(window.runMs / 1e3);
    auto &counters = state.counters;
    counters["window_ms"] = window.runMs;
    counters["engine_ms"] = engineMs;
    counters["ratio"] = window.runMs / engineMs;
    counters["gap_ms"] = window.longestGapMs;
    counters["gap_at_ms"] = window.longestGapEndedMs;
    counters["ticks"] = double(window.ticks);
    counters["end_gap_ms"] = window.longestEndGapMs;
    counters["peak_MiB"] = double(windowProcess.peakBytes) / MiB;
    counters["peak/size"] = double(windowProcess.peakBytes) / double(size);
    counters["engine_peak_MiB"] = double(engineProcess.peakBytes) / MiB;
    counters["reading_ms"] = window.finalCaptionMs;
    counters["captions_ms"] = window.captionMs;
    counters["events_ms"] = window.eventsMs;
    counters["end_ms"] = window.runMs - window.finalCaptionMs;
    counters["text1_ms"] = window.dumpTextMs;
    counters["text2_ms"] = window.fileTextMs;
    counters["paint_ms"] = window.textPaintMs;
    counters["user_ms"] = windowProcess.userSeconds * 1e3;
    counters["sys_ms"] = windowProcess.systemSeconds * 1e3;
    counters["engine_user_ms"] = engineProcess.userSeconds * 1e3;
    counters["engine_sys_ms"] = engineProcess.systemSeconds * 1e3;
}

void measurePair(benchmark::State &state, const Input &input, const QString &path, bool windowFirst)
{
    ChildProcess::Outcome windowProcess;
    ChildProcess::Outcome engineProcess;
    warmMemory(std::min(input.size, totalMemory() / 2));
    if (!windowFirst)
        engineProcess = runEngine(path, input.size);
    windowProcess = runWindow(path, input.size);
    if (windowFirst)
        engineProcess = runEngine(path, input.size);
    if (!windowProcess.ok || !engineProcess.ok) {
        const std::string failure = !windowProcess.ok ? "window: " + windowProcess.failure : "engine: " + engineProcess.failure;
        state.SkipWithError(failure.c_str());
        return;
    }
    const WindowRun::Figures window = WindowRun::fromReport(windowProcess.report);
    record(state, window, windowProcess, EngineRun::fromReport(engineProcess.report), engineProcess, input.size);
    Last &last = lastRuns[input.name()];
    last.window = window;
    last.worstGapMs = std::max(last.worstGapMs, window.longestGapMs);
}

// ---- inputs and registration ----------------------------------------------------

// Made on first use, so that a filter (--benchmark_filter) makes only what it runs.
QString pathOf(BenchFiles &files, const Input &input)
{
    static std::map<std::string, QString> made;
    QString &path = made[input.name()];
    if (!path.isEmpty())
        return path;
    const QString name = QString::fromStdString(input.kind + "-" + input.sizeName);
    if (input.kind == "binary")
        path = files.writeRandomBinary(name + ".bin", input.size, 1);
    else if (input.kind == "sjis")
        path = files.writeShiftJisText(name + ".txt", input.size, 2);
    else
        path = files.writeSparse(name + ".bin", input.size); // sparse and beyond
    return path;
}

void registerInput(BenchFiles &files, const Input &input, int repetitions)
{
    auto turn = std::make_shared<int>(0);
    auto *benchmark = benchmark::RegisterBenchmark(input.name().c_str(), [&files, input, turn](benchmark::State &state) {
        const QString path = pathOf(files, input);
        for (auto _ : state)
            measurePair(state, input, path, (*turn)++ % 2 == 0);
    });
    benchmark->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    if (repetitions > 0)
        benchmark->Repetitions(repetitions);
}

bool repetitionsChosen(int argc, char **argv)
{
    return std::getenv("BENCHMARK_REPETITIONS")
        || std::any_of(argv + 1, argv + argc, [](const char *argument) { return std::strstr(argument, "--benchmark_repetitions") == argument; });
}

std::vector<Input> registerInputs(BenchFiles &files, bool repetitionsChosen)
{
    std::vector<Input> inputs;
    for (const auto &[sizeName, size] : sizesFromEnvironment())
        for (const char *kind : {"binary", "sjis"})
            inputs.push_back({kind, sizeName, size});
    for (const Input &input : inputs)
        registerInput(files, input, repetitionsChosen ? 0 : Repetitions);
    if (qEnvironmentVariableIntValue("HEXMOTH_BENCH_SPARSE") == 1) {
        inputs.push_back({"sparse", "5GiB", SparseSize});
        registerInput(files, inputs.back(), repetitionsChosen ? 0 : 1);
    }
    if (qEnvironmentVariableIntValue("HEXMOTH_BENCH_BEYOND_MEMORY") == 1) {
        const qint64 size = totalMemory() + (qint64(4) << 30);
        inputs.push_back({"beyond", std::to_string(size >> 20) + "MiB", size});
        registerInput(files, inputs.back(), repetitionsChosen ? 0 : 1);
    }
    return inputs;
}

// ---- the report -------------------------------------------------------------------

const char *verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

void printTable(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    std::printf("\nmedians (ms; MiB = 2^20 bytes):\n%-14s %4s %10s %10s %6s %8s %8s %9s %9s %9s %11s\n", "file", "runs",
                "window ms", "engine ms", "ratio", "gap ms", "end gap", "peak MiB", "bound", "peak/size", "engine peak");
    for (const Input &input : inputs) {
        const std::string name = input.name();
        const auto value = [&](const char *counter) { return medians.median(name, counter); };
        std::printf("%-14s %4d %10s %10s %6s %8s %8s %9s %9.1f %9s %11s\n", name.c_str(), medians.repetitions(name),
                    figure(value("window_ms"), 1).c_str(), figure(value("engine_ms"), 1).c_str(), figure(value("ratio"), 2).c_str(),
                    figure(value("gap_ms"), 2).c_str(), figure(value("end_gap_ms"), 2).c_str(), figure(value("peak_MiB"), 1).c_str(),
                    peakBoundMiB(input.size), figure(value("peak/size"), 3).c_str(), figure(value("engine_peak_MiB"), 1).c_str());
    }
}

void printTimeSplit(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    std::printf("\nwhere the window's time goes (medians, ms): reading = click to \"実行終了\", of which captions = Label1 set and\n"
                "repainted, events = handlePendingEvents; end = from \"実行終了\" to Text2 painted, of which Text1 = ShowDumpList's\n"
                "setPlainText, paint = Text2's first paint and flush; gap at = when the longest gap ended, from the click;\n"
                "CPU of each child from wait4\n"
                "%-14s %9s %9s %8s %7s %7s %7s %9s %7s %7s %9s %7s\n",
                "file", "reading", "captions", "events", "end", "Text1", "paint", "gap at", "user", "sys", "eng user", "eng sys");
    for (const Input &input : inputs) {
        const std::string name = input.name();
        const auto value = [&](const char *counter, int decimals = 1) { return figure(medians.median(name, counter), decimals); };
        std::printf("%-14s %9s %9s %8s %7s %7s %7s %9s %7s %7s %9s %7s\n", name.c_str(), value("reading_ms").c_str(),
                    value("captions_ms").c_str(), value("events_ms").c_str(), value("end_ms").c_str(), value("text1_ms", 2).c_str(),
                    value("paint_ms", 2).c_str(), value("gap_at_ms").c_str(), value("user_ms", 0).c_str(), value("sys_ms", 0).c_str(),
                    value("engine_user_ms", 0).c_str(), value("engine_sys_ms", 0).c_str());
    }
}

void printTimeGoal(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    qint64 largest = 0;
    for (const Input &input : inputs)
        if (!isHole(input))
            largest = std::max(largest, input.size);
    bool met = true;
    std::string rows;
    for (const Input &input : inputs) {
        if (isHole(input) || input.size != largest)
            continue;
        const auto ratio = medians.median(input.name(), "ratio");
        met = met && ratio && *ratio <= TimeRatioGoal;
        rows.append(" ").append(input.name()).append(" ").append(figure(ratio, 2));
    }
    std::printf("goal time: window <= %.1f x engine on the largest files%s:%s: %s\n", TimeRatioGoal,
                largest == LargestGoalSize ? "" : " (stated for 1 GiB; indicative here)", rows.c_str(), verdict(met));
}

void printGapGoal(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    double worstMedian = 0;
    double worstRun = 0;
    std::string worstName;
    bool complete = true;
    for (const Input &input : inputs) {
        const auto gap = medians.median(input.name(), "gap_ms");
        complete = complete && gap;
        if (gap && *gap > worstMedian) {
            worstMedian = *gap;
            worstName = input.name();
        }
        worstRun = std::max(worstRun, lastRuns[input.name()].worstGapMs);
    }
    std::printf("goal event loop: longest gap <= %.0f ms on every file: worst median %.2f ms (%s): %s; "
                "worst single run %.2f ms: %s\n",
                GapGoalMs, worstMedian, worstName.c_str(), verdict(complete && worstMedian <= GapGoalMs), worstRun,
                verdict(complete && worstRun <= GapGoalMs));
}

void printPeakGoal(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    bool met = true;
    double tightest = 0;
    std::string tightestName;
    for (const Input &input : inputs) {
        const auto peak = medians.median(input.name(), "peak_MiB");
        met = met && peak && *peak <= peakBoundMiB(input.size);
        if (peak && *peak / peakBoundMiB(input.size) > tightest) {
            tightest = *peak / peakBoundMiB(input.size);
            tightestName = input.name();
        }
    }
    std::printf("goal memory: peak <= %.2f x size + %.0f MiB on every file: closest %s at %.0f%% of its bound: %s\n",
                PeakPerByteGoal, PeakAllowanceMiB, tightestName.c_str(), tightest * 100, verdict(met));
}

void printSparse(const MedianReporter &medians, const Input &input)
{
    const std::string name = input.name();
    const WindowRun::Figures &last = lastRuns[name].window;
    const QString wantedCaption = DumpEngine::progressCaption(QStringLiteral("実行終了"), input.size, input.size);
    const auto gap = medians.median(name, "gap_ms");
    const auto peak = medians.median(name, "peak_MiB");
    const auto ratio = medians.median(name, "ratio");
    std::printf("\n%s, one hole of %lld bytes, %d run:\n", name.c_str(), (long long)input.size, medians.repetitions(name));
    std::printf("  Text1's last line: %s\n    starts with %s: %s\n", qPrintable(last.lastAddressLine),
                qPrintable(WindowRun::lastAddress(input.size)),
                verdict(last.lastAddressLine.startsWith(WindowRun::lastAddress(input.size) + u'|')));
    std::printf("  final caption: %s: %s\n", qPrintable(last.caption), verdict(last.caption == wantedCaption));
    std::printf("  longest event-loop gap %s ms <= %.0f ms: %s\n", figure(gap, 2).c_str(), GapGoalMs, verdict(gap && *gap <= GapGoalMs));
    std::printf("  peak %s MiB <= %.1f MiB: %s\n", figure(peak, 1).c_str(), peakBoundMiB(input),
                verdict(peak && *peak <= peakBoundMiB(input)));
    std::printf("  time: window %s ms, engine %s ms, ratio %s <= %.1f: %s\n", figure(medians.median(name, "window_ms"), 1).c_str(),
                figure(medians.median(name, "engine_ms"), 1).c_str(), figure(ratio, 2).c_str(), TimeRatioGoal,
                verdict(ratio && *ratio <= TimeRatioGoal));
}

void printSummary(const MedianReporter &medians, const std::vector<Input> &inputs)
{
    std::vector<Input> ran;
    std::copy_if(inputs.begin(), inputs.end(), std::back_inserter(ran), [&](const Input &input) { return medians.repetitions(input.name()) > 0; });
    printTable(medians, ran);
    printTimeSplit(medians, ran);
    std::vector<Input> files;
    std::copy_if(ran.begin(), ran.end(), std::back_inserter(files), [](const Input &input) { return !isHole(input); });
    std::printf("\n");
    if (!files.empty()) {
        printTimeGoal(medians, files);
        printGapGoal(medians, files);
        printPeakGoal(medians, files);
    }
    for (const Input &input : ran)
        if (isHole(input))
            printSparse(medians, input);
}

void printHeader(const VirtualDisplay &display, const BenchFiles &files)
{
    std::printf("window: the program's window in a fresh process on %s, Command1 clicked, the dialog answered with the file;\n"
                "  time from the click to Text2's first paint of the file's text, after \"実行終了\"; gaps between ticks of a\n"
                "  1 ms timer over that time (end gap: of the gaps that ended after \"実行終了\"); peak = the process's ru_maxrss\n"
                "engine: RunDump with a window that does nothing, in a forked child; time of RunDump; its peak includes\n"
                "  %.1f MiB of pages shared with this process at the fork\n"
                "files in %s, read once before use; bound = %.2f x size + %.0f MiB\n",
                qPrintable(display.description()), double(ChildProcess::floor()) / MiB, qPrintable(files.folder()), PeakPerByteGoal,
                PeakAllowanceMiB);
    std::fflush(stdout);
}

// Our defaults first, so that the command line can override them.
std::vector<char *> argumentsWithDefaults(int argc, char **argv)
{
    static std::string aggregatesOnly = "--benchmark_display_aggregates_only=true";
    static std::string tabular = "--benchmark_counters_tabular=true";
    std::vector<char *> arguments{argv[0], aggregatesOnly.data(), tabular.data()};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    return arguments;
}

int runBenchmarks(int argc, char **argv)
{
    const VirtualDisplay display;
    std::vector<char *> arguments = argumentsWithDefaults(argc, argv);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 2;
    BenchFiles files;
    const std::vector<Input> inputs = registerInputs(files, repetitionsChosen(argc, argv));
    printHeader(display, files);
    MedianReporter medians;
    benchmark::RunSpecifiedBenchmarks(&medians);
    std::fflush(stdout);
    printSummary(medians, inputs);
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--window-run") == 0)
        return windowChild(argv[2], argv[3], argv[4]);
    try {
        return runBenchmarks(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "program_bench: %s\n", e.what());
        return 1;
    }
}
