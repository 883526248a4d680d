// The window's measured goals, each against a peer in the same run:
//
//   build-bench/bench/window_bench                            # 256 MiB file
//   HEXMOTH_BENCH_FILE_MIB=32 build-bench/bench/window_bench  # a quick run
//
// startup/hexmoth   the program's start (HexmothApplication and Form1, as
//                   main() does) to its first painted window, in a fresh
//                   process; goal under 300 ms. Peer startup/bare: a plain
//                   QApplication and an empty QWidget of the same size.
// gaps/window       a whole run of Form1 over the file, Command1 clicked and
//                   the dialog answered with the file: the longest gap
//                   between two ticks of a 1 ms timer while blocks are read;
//                   goal under 50 ms. Peer gaps/engine: the longest time
//                   between two handlePendingEvents calls of the engine run
//                   with a window that does nothing.
// stop/window       Command2 clicked once half the file is read: the blocks
//                   read after the click (goal: at most one) and the time
//                   from the click to "実行終了".
//
// Showing the file's text at the end of a run is not measured here: the
// window under test drops it.
//
// Without DISPLAY the benchmark starts its own Xvfb, or uses the offscreen
// platform when there is none; the first line says which.

#include "BenchDumpWindow.h"
#include "BenchFiles.h"
#include "DumpEngine.h"
#include "FileText.h"
#include "Form1.h"
#include "HexmothApplication.h"
#include "MedianReporter.h"
#include "VirtualDisplay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr int Repetitions = 5;
constexpr double StartUpGoalMs = 300;
constexpr double GapGoalMs = 50;

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

qint64 fileSizeFromEnvironment()
{
    const QByteArray text = qgetenv("HEXMOTH_BENCH_FILE_MIB");
    bool ok = false;
    const qint64 mib = text.isEmpty() ? 256 : text.toLongLong(&ok);
    if (!text.isEmpty() && (!ok || mib < 4 || mib > 4096))
        throw std::runtime_error("HEXMOTH_BENCH_FILE_MIB must be a whole number of MiB from 4 to 4096");
    return mib << 20;
}

// ---- start-up, in a child process ------------------------------------------

// Prints the milliseconds from `startNs` to the window's first paint, then quits.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(qint64 startNs) : m_startNs(startNs) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Once this paint and its flush are done.
            QTimer::singleShot(0, [this] {
                std::printf("%.3f\n", double(monotonicNs() - m_startNs) / 1e6);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    qint64 m_startNs;
    bool m_seen = false;
};

int startUpChild(int argc, char **argv, const char *kind, qint64 startNs)
{
    const bool hexmoth = std::strcmp(kind, "hexmoth") == 0;
    std::unique_ptr<QApplication> app = hexmoth ? std::make_unique<HexmothApplication>(argc, argv)
                                                : std::make_unique<QApplication>(argc, argv);
    std::unique_ptr<QWidget> window = hexmoth ? std::make_unique<Form1>() : std::make_unique<QWidget>();
    if (!hexmoth)
        window->resize(747, 440);
    FirstPaint firstPaint(startNs);
    window->installEventFilter(&firstPaint);
    window->show();
    return app->exec();
}

void measureStartUp(benchmark::State &state, const std::string &kind)
{
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--start-up-child"), QString::fromStdString(kind), QString::number(monotonicNs())});
        bool ok = false;
        const double ms = child.waitForFinished(30000) ? child.readAllStandardOutput().trimmed().toDouble(&ok) : 0;
        if (!ok || child.exitCode() != 0) {
            state.SkipWithError("the start-up child failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        state.counters["ms"] = ms;
    }
}

// ---- gaps and stop, in this process -----------------------------------------

class FixedFileDialogs : public DialogService
{
public:
    explicit FixedFileDialogs(QString path) : m_path(std::move(path)) {}
    std::optional<QString> chooseFile(QWidget *, const QString &) override { return m_path; }
    void showMessage(QWidget *, const QString &text) override { throw std::runtime_error(text.toStdString()); }

private:
    QString m_path;
};

struct RunFigures
{
    double longestGapMs = 0;
    double runMs = 0;
    qint64 blocksAfterStop = -1;
    double stopMs = 0;
};

// Form1 as the program shows it, timed from the first block to the end of
// the run; it drops the file's text at the end.
class TimedForm : public Form1
{
public:
    TimedForm(const QString &path, bool stopHalfway)
        : Form1(std::make_unique<FixedFileDialogs>(path)), m_stopHalfway(stopHalfway)
    {
        m_ticks.setTimerType(Qt::PreciseTimer);
        m_ticks.setInterval(1);
        connect(&m_ticks, &QTimer::timeout, this, [this] { tick(); });
    }

    RunFigures run()
    {
        m_ticks.start();
        findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        m_ticks.stop();
        return m_figures;
    }

    void setStatusCaption(const QString &caption) override
    {
        Form1::setStatusCaption(caption);
        if (caption.startsWith(QStringLiteral("実行中 ")))
            progress(caption.mid(4).section(u'/', 0, 0).toLongLong(nullptr, 16), caption.section(u'/', 1).toLongLong(nullptr, 16));
        else
            finish(caption.mid(4).section(u'/', 0, 0).toLongLong(nullptr, 16));
    }
    void setFileText(std::shared_ptr<const FileText>) override {}

private:
    void tick()
    {
        if (!m_clock.isValid())
            return;
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        m_figures.longestGapMs = std::max(m_figures.longestGapMs, now - m_lastTick);
        m_lastTick = now;
    }

    void progress(qint64 position, qint64 size)
    {
        if (!m_clock.isValid()) {
            m_clock.start();
            m_lastTick = 0;
        }
        if (m_stopHalfway && !m_stopClicked.isValid() && position > size / 2) {
            const qint64 dumpedAtClick = position - 1 + BlockPacer::ShortestBlock;
            QTimer::singleShot(0, this, [this, dumpedAtClick] {
                m_stopClicked.start();
                m_dumpedAtClick = dumpedAtClick;
                findChild<QPushButton *>(QStringLiteral("Command2"))->click();
            });
        }
    }

    void finish(qint64 dumped)
    {
        tick();
        m_figures.runMs = double(m_clock.nsecsElapsed()) / 1e6;
        if (m_stopClicked.isValid()) {
            m_figures.stopMs = double(m_stopClicked.nsecsElapsed()) / 1e6;
            m_figures.blocksAfterStop = (dumped - m_dumpedAtClick + BlockPacer::ShortestBlock - 1) / BlockPacer::ShortestBlock;
        }
        m_clock.invalidate();
    }

    bool m_stopHalfway;
    QTimer m_ticks;
    QElapsedTimer m_clock;
    double m_lastTick = 0;
    QElapsedTimer m_stopClicked;
    qint64 m_dumpedAtClick = 0;
    RunFigures m_figures;
};

// The engine with a window that does nothing: the time between its calls
// to handle events is the work of one block.
class GapWindow : public BenchDumpWindow
{
public:
    using BenchDumpWindow::BenchDumpWindow;
    void handlePendingEvents() override
    {
        if (m_clock.isValid())
            longestGapMs = std::max(longestGapMs, double(m_clock.nsecsElapsed()) / 1e6);
        m_clock.start();
    }
    double longestGapMs = 0;

private:
    QElapsedTimer m_clock;
};

void measureWindow(benchmark::State &state, const QString &path, bool stopHalfway)
{
    for (auto _ : state) {
        TimedForm form(path, stopHalfway);
        form.show();
        const RunFigures figures = form.run();
        state.SetIterationTime(figures.runMs / 1000);
        state.counters["longest_gap_ms"] = figures.longestGapMs;
        if (stopHalfway) {
            state.counters["blocks_after_stop"] = double(figures.blocksAfterStop);
            state.counters["stop_ms"] = figures.stopMs;
        }
    }
}

void measureEngine(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        GapWindow window(path);
        DumpEngine engine(window);
        QElapsedTimer clock;
        clock.start();
        engine.RunDump();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["longest_gap_ms"] = window.longestGapMs;
    }
}

// ---- the run ----------------------------------------------------------------

// Five repetitions unless the command line asks for another count.
bool repetitionsChosen(int argc, char **argv)
{
    return std::getenv("BENCHMARK_REPETITIONS")
        || std::any_of(argv + 1, argv + argc, [](const char *argument) { return std::strstr(argument, "--benchmark_repetitions") == argument; });
}

void registerBenchmarks(const QString &path, bool repetitionsChosen)
{
    const auto add = [repetitionsChosen](const char *name, auto function) {
        auto *benchmark = benchmark::RegisterBenchmark(name, function)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
        if (!repetitionsChosen)
            benchmark->Repetitions(Repetitions);
    };
    add("startup/hexmoth", [](benchmark::State &state) { measureStartUp(state, "hexmoth"); });
    add("startup/bare", [](benchmark::State &state) { measureStartUp(state, "bare"); });
    add("gaps/window", [path](benchmark::State &state) { measureWindow(state, path, false); });
    add("gaps/engine", [path](benchmark::State &state) { measureEngine(state, path); });
    add("stop/window", [path](benchmark::State &state) { measureWindow(state, path, true); });
}

std::optional<double> ratio(std::optional<double> a, std::optional<double> b)
{
    return a && b && *b > 0 ? std::optional<double>(*a / *b) : std::nullopt;
}

const char *verdict(std::optional<double> value, double limit)
{
    return !value ? "n/a" : *value < limit ? "met" : "MISSED";
}

void printSummary(const MedianReporter &medians)
{
    const auto startUp = medians.median("startup/hexmoth", "ms");
    const auto bare = medians.median("startup/bare", "ms");
    const auto gap = medians.median("gaps/window", "longest_gap_ms");
    const auto engineGap = medians.median("gaps/engine", "longest_gap_ms");
    const auto after = medians.median("stop/window", "blocks_after_stop");
    std::printf("\nmedians of %d runs:\n", medians.repetitions("gaps/window"));
    std::printf("  start-up to painted window: hexmoth %s ms, bare Qt window %s ms, ratio %s; goal < %.0f ms: %s\n",
                figure(startUp, 1).c_str(), figure(bare, 1).c_str(), figure(ratio(startUp, bare), 2).c_str(), StartUpGoalMs,
                verdict(startUp, StartUpGoalMs));
    std::printf("  longest event-loop gap while reading: window %s ms, engine alone %s ms, ratio %s; goal < %.0f ms: %s\n",
                figure(gap, 2).c_str(), figure(engineGap, 2).c_str(), figure(ratio(gap, engineGap), 2).c_str(), GapGoalMs,
                verdict(gap, GapGoalMs));
    std::printf("  stop halfway: %s blocks read after the click, %s ms from the click to the end; goal <= 1 block: %s\n",
                figure(after, 0).c_str(), figure(medians.median("stop/window", "stop_ms"), 2).c_str(), verdict(after, 1.5));
}

int runBenchmarks(int argc, char **argv)
{
    const qint64 size = fileSizeFromEnvironment();
    const VirtualDisplay display;
    QApplication app(argc, argv);
    const bool chosen = repetitionsChosen(argc, argv);
    std::string aggregatesOnly = "--benchmark_display_aggregates_only=true";
    std::string interleaved = "--benchmark_enable_random_interleaving=true";
    std::vector<char *> arguments{argv[0], aggregatesOnly.data(), interleaved.data()};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    argc = int(arguments.size());
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    BenchFiles files;
    const QString path = files.writeRandomBinary(QStringLiteral("random.bin"), size, 1);
    std::printf("platform %s; file %lld random bytes in %s, in the page cache; blocks of %lld bytes\n",
                qPrintable(QGuiApplication::platformName()), (long long)size, qPrintable(files.folder()),
                (long long)BlockPacer::ShortestBlock);
    std::fflush(stdout);
    registerBenchmarks(path, chosen);
    MedianReporter medians;
    benchmark::RunSpecifiedBenchmarks(&medians);
    std::fflush(stdout);
    printSummary(medians);
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--start-up-child") == 0)
        return startUpChild(argc, argv, argv[2], std::strtoll(argv[3], nullptr, 10));
    try {
        return runBenchmarks(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "window_bench: %s\n", e.what());
        return 1;
    }
}
