// The whole program (WindowRun, in a fresh process) against the engine alone
// (EngineRun, in a forked child), back to back on the same files, in turns
// first, each turn after a child that takes and frees as much memory as the
// file (ChildProcess::warmMemory). What each figure is, is printed first.
//
//   build-bench/bench/program_bench                            # 10 MB, 256 MiB, 1 GiB
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/program_bench  # a quick run, 16 MiB only
//   HEXMOTH_BENCH_SPARSE=1 build-bench/bench/program_bench     # and a 5 GiB sparse file
//   HEXMOTH_BENCH_BEYOND_MEMORY=1 build-bench/bench/program_bench  # and one of MemTotal + 4 GiB
//   build-bench/bench/program_bench --benchmark_filter=open/  # started with a file on the command line

#include "Bench.h"
#include "ChildProcess.h"
#include "EngineRun.h"
#include "TextStorage.h"
#include "WindowRun.h"
#include "WindowRunChild.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr double MiB = 1 << 20;
constexpr qint64 LargestGoalSize = qint64(1) << 30;
constexpr double TimeRatioGoal = 1.2;
constexpr double GapGoalMs = 16;
constexpr double CaptionGoalPercent = 5;
constexpr double StartUpGoalMs = 300;
constexpr double FirstCaptionGoalMs = 100;
constexpr double PeakAllowanceMiB = 80;
constexpr double PeakPerFilePercent = 1;
constexpr double BeyondRatioGoal = 1.3;
constexpr double BeyondGapGoalMs = 50;
constexpr double BeyondPeakGoalMiB = 1024;
const qint64 CopyThreshold = TextStorage::Limits().copyThreshold;

struct Input
{
    std::string kind; // "binary", "sjis", "sparse" or "beyond" (sparse, larger than memory)
    std::string sizeName;
    qint64 size = 0;
    std::string name() const { return kind + "/" + sizeName; }
    bool hole() const { return kind == "sparse" || kind == "beyond"; }
    // Files up to the copy threshold are copied: no bound on those.
    std::optional<double> peakGoalMiB() const
    {
        if (kind == "beyond")
            return BeyondPeakGoalMiB;
        if (size <= CopyThreshold)
            return std::nullopt;
        return PeakAllowanceMiB + PeakPerFilePercent / 100 * double(size) / MiB;
    }
    double ratioGoal() const { return kind == "beyond" ? BeyondRatioGoal : TimeRatioGoal; }
    double gapGoalMs() const { return kind == "beyond" ? BeyondGapGoalMs : GapGoalMs; }
};

std::vector<Input> inputs;
std::string stopName;
std::string openName;

void record(benchmark::State &state, const WindowRun::Figures &window, const ChildProcess::Outcome &windowProcess,
            const EngineRun::Figures &engine, const ChildProcess::Outcome &engineProcess)
{
    const double engineMs = engine.runSeconds * 1e3;
    state.SetIterationTime(window.runMs / 1e3);
    state.counters = {{"window_ms", window.runMs}, {"engine_ms", engineMs}, {"ratio", window.runMs / engineMs},
        {"gap_ms", window.longestGapMs}, {"gap_at_ms", window.longestGapEndedMs}, {"end_gap_ms", window.longestEndGapMs},
        {"engine_gap_ms", engine.longestBlockMs}, {"caption_%", 100 * (window.captionMs + window.eventsMs) / window.runMs},
        {"start_ms", window.startUpMs}, {"reading_ms", window.finalCaptionMs}, {"captions_ms", window.captionMs},
        {"events_ms", window.eventsMs}, {"end_ms", window.runMs - window.finalCaptionMs}, {"text1_ms", window.dumpTextMs},
        {"paint_ms", window.textPaintMs}};
    windowProcess.count(state.counters);
    engineProcess.count(state.counters, "engine_");
}

void measurePair(benchmark::State &state, const Input &input, const QString &path, bool windowFirst)
{
    const auto runEngine = [&] { return ChildProcess::fork([&] { return ChildProcess::reportOf(EngineRun::measure(path, input.size)); }); };
    const auto runWindow = [&] { return WindowRunChild::run(path, input.size); };
    ChildProcess::warmMemory(std::min(input.size, ChildProcess::totalMemory() / 2));
    ChildProcess::Outcome engineProcess = windowFirst ? ChildProcess::Outcome() : runEngine();
    const ChildProcess::Outcome windowProcess = runWindow();
    if (windowFirst)
        engineProcess = runEngine();
    if (!windowProcess.ok || !engineProcess.ok) {
        state.SkipWithError((!windowProcess.ok ? "window: " + windowProcess.failure : "engine: " + engineProcess.failure).c_str());
        return;
    }
    record(state, ChildProcess::figuresFrom<WindowRun::Figures>(windowProcess.report), windowProcess,
           ChildProcess::figuresFrom<EngineRun::Figures>(engineProcess.report), engineProcess);
}

// Made on first use, so that a filter (--benchmark_filter) makes only what it runs.
QString pathOf(BenchFiles &files, const Input &input)
{
    static std::map<std::string, QString> made;
    QString &path = made[input.name()];
    const QString name = QString::fromStdString(input.kind + "-" + input.sizeName);
    if (path.isEmpty())
        path = input.kind == "binary" ? files.writeRandomBinary(name + ".bin", input.size, 1)
             : input.kind == "sjis"   ? files.writeShiftJisText(name + ".txt", input.size, 2)
                                      : files.writeSparse(name + ".bin", input.size);
    return path;
}

void addInput(Bench &bench, const Input &input, int repetitions = 0)
{
    inputs.push_back(input);
    auto turn = std::make_shared<int>(0);
    bench.add(input.name(), [&bench, input, turn](benchmark::State &state) {
        measurePair(state, input, pathOf(bench.files(), input), (*turn)++ % 2 == 0);
    }, repetitions);
}

// Command2 clicked halfway through a run of the program's window.
void addStop(Bench &bench, const Input &input)
{
    stopName = "stop/" + input.name();
    bench.add(stopName, [&bench, input](benchmark::State &state) {
        const auto process = ChildProcess::runSelf("window-stop", {pathOf(bench.files(), input).toStdString(), std::to_string(input.size)});
        if (!process.ok) {
            state.SkipWithError(process.failure.c_str());
            return;
        }
        const WindowRun::Stop stop = ChildProcess::figuresFrom<WindowRun::Stop>(process.report);
        state.SetIterationTime(stop.stopMs / 1e3);
        state.counters["stop_ms"] = stop.stopMs;
        state.counters["blocks_after_stop"] = double(stop.blocksAfterClick);
    });
}

// The program started with the file on its command line.
void addOpen(Bench &bench, const Input &input)
{
    openName = "open/" + input.name();
    bench.add(openName, [&bench, input](benchmark::State &state) {
        const auto process = ChildProcess::runSelf("window-open", {pathOf(bench.files(), input).toStdString(),
                                                                   std::to_string(input.size), std::to_string(WindowRun::nowNs())});
        if (!process.ok) {
            state.SkipWithError(process.failure.c_str());
            return;
        }
        const WindowRun::Open open = ChildProcess::figuresFrom<WindowRun::Open>(process.report);
        state.SetIterationTime(open.firstCaptionMs / 1e3);
        state.counters = {{"start_ms", open.startUpMs}, {"first_caption_ms", open.firstCaptionMs}, {"final_caption_ms", open.finalCaptionMs}};
    });
}

void setUp(Bench &bench)
{
    std::vector<std::pair<std::string, qint64>> sizes{{"10MB", 10'000'000}, {"256MiB", qint64(256) << 20}, {"1GiB", LargestGoalSize}};
    if (bench.fileSizeChosen())
        sizes = {{Bench::sizeName(bench.fileSize()), bench.fileSize()}};
    for (const auto &[sizeName, size] : sizes)
        for (const char *kind : {"binary", "sjis"})
            addInput(bench, {kind, sizeName, size});
    addStop(bench, inputs[inputs.size() - 2]); // the largest random file
    addOpen(bench, inputs.front());
    if (Bench::flag("HEXMOTH_BENCH_SPARSE"))
        addInput(bench, {"sparse", "5GiB", qint64(5) << 30}, 1);
    const qint64 beyond = ChildProcess::totalMemory() + (qint64(4) << 30);
    if (Bench::flag("HEXMOTH_BENCH_BEYOND_MEMORY"))
        addInput(bench, {"beyond", Bench::sizeName(beyond), beyond}, 1);
    std::printf("window: the program in a fresh process on %s; start = its start to the first paint; time from the click\n"
                "  to Text2's first paint of the file's text, after \"実行終了\"; gaps between ticks of a 1 ms timer over that\n"
                "  time (end gap: of those that ended after \"実行終了\"); caption = Label1 set and repainted and the events\n"
                "  handled between blocks, %% of the time; peak = the process's ru_maxrss\n"
                "engine: RunDump with a window that does nothing, in a forked child; engine gap = its longest block; its\n"
                "  peak includes %.1f MiB shared with this process\n"
                "files in %s, read once before use; files up to %lld MiB are copied, larger ones mapped;\n"
                "  bound = %.0f MiB + %.0f %% of the file above that, %.0f MiB for the file beyond memory\n",
                qPrintable(bench.displayDescription()), double(ChildProcess::floor()) / MiB, qPrintable(bench.files().folder()),
                (long long)(CopyThreshold >> 20), PeakAllowanceMiB, PeakPerFilePercent, BeyondPeakGoalMiB);
}

// ---- the report ---------------------------------------------------------------

void printTables(const MedianReporter &medians, const std::vector<Input> &ran)
{
    std::vector<std::string> rows;
    std::map<std::string, std::optional<double>> bounds;
    for (const Input &input : ran) {
        rows.push_back(input.name());
        bounds[input.name()] = input.peakGoalMiB();
    }
    std::printf("\nmedians (ms; MiB = 2^20 bytes):\n");
    medians.printTable("file", rows, {{"runs", [&](const std::string &row) { return std::to_string(medians.repetitions(row)); }},
        {"start", "start_ms"}, {"window ms", "window_ms"}, {"engine ms", "engine_ms"}, {"ratio", "ratio", 2}, {"gap ms", "gap_ms", 2},
        {"end gap", "end_gap_ms", 2}, {"eng gap", "engine_gap_ms", 2}, {"caption%", "caption_%", 2}, {"peak MiB", "peak_MiB"},
        {"bound", [&](const std::string &row) { return figure(bounds[row], 1); }}, {"engine peak", "engine_peak_MiB"}});
    std::printf("\nwhere the window's time goes (medians, ms): reading = click to \"実行終了\", of which captions = Label1 set and\n"
                "repainted, events = handlePendingEvents; end = from \"実行終了\" to Text2 painted, of which Text1 = ShowDumpList's\n"
                "setPlainText, paint = Text2's first paint and flush; gap at = when the longest gap ended; CPU from wait4\n");
    medians.printTable("file", rows, {{"reading", "reading_ms"}, {"captions", "captions_ms"}, {"events", "events_ms"}, {"end", "end_ms"},
        {"Text1", "text1_ms", 2}, {"paint", "paint_ms", 2}, {"gap at", "gap_at_ms"}, {"user", "user_ms", 0}, {"sys", "sys_ms", 0},
        {"eng user", "engine_user_ms", 0}, {"eng sys", "engine_sys_ms", 0}});
}

// Time and caption goals hold for the largest files (1 GiB in a full run)
// and the holes; the others for every file.
void printGoals(const MedianReporter &medians, const Input &input, bool timeGoals)
{
    const auto value = [&](const char *counter) { return medians.median(input.name(), counter); };
    std::printf("goals %s:", input.name().c_str());
    if (timeGoals)
        std::printf(" window / engine %s <= %.1f: %s; caption %s %% <= %.0f %%: %s;", figure(value("ratio"), 2).c_str(),
                    input.ratioGoal(), verdict(value("ratio"), input.ratioGoal()), figure(value("caption_%"), 2).c_str(),
                    CaptionGoalPercent, verdict(value("caption_%"), CaptionGoalPercent));
    std::printf(" longest gap %s ms <= %.0f ms: %s; start-up %s ms <= %.0f ms: %s", figure(value("gap_ms"), 2).c_str(),
                input.gapGoalMs(), verdict(value("gap_ms"), input.gapGoalMs()), figure(value("start_ms"), 1).c_str(),
                StartUpGoalMs, verdict(value("start_ms"), StartUpGoalMs));
    if (const auto bound = input.peakGoalMiB())
        std::printf("; peak %s MiB <= %.1f MiB: %s", figure(value("peak_MiB"), 1).c_str(), *bound, verdict(value("peak_MiB"), *bound));
    // A hole is all zeros: a run ends (WindowRun::measure) only once its final
    // caption and Text1's last address tell that it was read to its end.
    if (input.hole())
        std::printf("; read to its end (final caption, Text1's last address): %s", verdict(true, medians.repetitions(input.name()) > 0));
    std::printf("\n");
}

void report(Bench &bench)
{
    const MedianReporter &medians = bench.medians();
    std::vector<Input> ran;
    qint64 largest = 0;
    for (const Input &input : inputs)
        if (medians.repetitions(input.name()) > 0) {
            ran.push_back(input);
            largest = input.hole() ? largest : std::max(largest, input.size);
        }
    printTables(medians, ran);
    std::printf("\ntime and caption goals on the largest files%s and the holes:\n",
                largest == LargestGoalSize ? "" : " (stated for 1 GiB; indicative here)");
    for (const Input &input : ran)
        printGoals(medians, input, input.hole() || input.size == largest);
    if (std::none_of(ran.begin(), ran.end(), [](const Input &input) { return input.peakGoalMiB().has_value(); }))
        std::printf("goal memory: peak <= %.0f MiB + %.0f %% of the file, for files above %lld MiB: none here: n/a\n",
                    PeakAllowanceMiB, PeakPerFilePercent, (long long)(CopyThreshold >> 20));
    const auto blocks = medians.median(stopName, "blocks_after_stop");
    std::printf("goal stop halfway (%s): %s blocks read after the click <= 1: %s; %s ms from the click to \"実行終了\"\n",
                stopName.c_str(), figure(blocks, 0).c_str(), verdict(blocks, 1), figure(medians.median(stopName, "stop_ms"), 2).c_str());
    const auto caption = medians.median(openName, "first_caption_ms");
    std::printf("goal started with a file (%s): first caption %s ms after the first paint <= %.0f ms: %s; start-up %s ms, "
                "\"実行終了\" %s ms after the first paint\n",
                openName.c_str(), figure(caption, 2).c_str(), FirstCaptionGoalMs, verdict(caption, FirstCaptionGoalMs),
                figure(medians.median(openName, "start_ms"), 1).c_str(), figure(medians.median(openName, "final_caption_ms"), 1).c_str());
}

} // namespace

int main(int argc, char **argv)
{
    Bench bench("program_bench", setUp, report);
    bench.repetitions = 3;
    bench.tabular = true;
    bench.display = true;
    WindowRunChild::add(bench);
    bench.addChild("window-open", [](const std::vector<std::string> &arguments) {
        return ChildProcess::reportOf(WindowRun::measureOpen(QString::fromStdString(arguments.at(0)), std::stoll(arguments.at(1)),
                                                          std::stoll(arguments.at(2))));
    });
    bench.addChild("window-stop", [](const std::vector<std::string> &arguments) {
        return ChildProcess::reportOf(WindowRun::measureStop(QString::fromStdString(arguments.at(0)), std::stoll(arguments.at(1))));
    });
    return bench.run(argc, argv);
}
