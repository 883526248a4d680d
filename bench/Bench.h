#pragma once

#include "BenchFiles.h"
#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QtGlobal>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QApplication;
class QProcess;

// The common main of every benchmark program. A benchmark registers its
// cases in setUp, prints its figures and goals in report (from medians())
// and sets its options; run() does the rest.
//
// HEXMOTH_BENCH_FILE_MIB (1 to 4096) sets fileSize() for a quick run. Our
// defaults go before the command line so that it overrides them: medians
// only, and `repetitions` unless --benchmark_repetitions or
// BENCHMARK_REPETITIONS chooses. Input files go in files(), removed at the
// end. Children started with ChildProcess::runSelf run the work added with
// addChild and hand back its result.
class Bench
{
public:
    using ChildWork = std::function<std::string(const std::vector<std::string> &arguments)>;

    using Step = std::function<void(Bench &)>;
    Bench(std::string name, Step setUp, Step report);
    ~Bench();

    int repetitions = 5;
    bool interleaved = false; // repetitions of all cases in random order
    bool tabular = false;     // counters in columns
    bool display = false;     // a real display for windows (see startDisplay)
    bool application = false; // and a QApplication in this process
    void addChild(const std::string &name, ChildWork work) { m_children[name] = std::move(work); }

    int run(int argc, char **argv);

    qint64 fileSize() const { return m_fileSize.value_or(qint64(256) << 20); }
    bool fileSizeChosen() const { return m_fileSize.has_value(); }
    BenchFiles &files() { return *m_files; }
    const MedianReporter &medians() const { return m_medians; }
    // "Xvfb :N", "DISPLAY :N" (one that was already there), "offscreen".
    QString displayDescription() const { return m_displayDescription; }
    // A case of this program, `count` repetitions or the default. A
    // repetition is one iteration: `once`, which sets its time.
    void add(const std::string &name, std::function<void(benchmark::State &)> once, int count = 0);

    // An environment variable set to 1: a longer run asked for.
    static bool flag(const char *variable) { return qEnvironmentVariableIntValue(variable) == 1; }
    // "256MiB": a size as the cases' names give it.
    static std::string sizeName(qint64 size) { return std::to_string(size >> 20) + "MiB"; }

private:
    int runChild(int argc, char **argv);
    int runCases(int argc, char **argv);
    std::vector<char *> argumentsWithDefaults(int argc, char **argv);
    static std::optional<qint64> fileSizeFromEnvironment();
    void startDisplay();

    std::string m_name;
    Step m_setUp;
    Step m_report;
    std::map<std::string, ChildWork> m_children;
    std::optional<qint64> m_fileSize;
    bool m_repetitionsChosen = false;
    std::vector<std::string> m_defaults;
    std::unique_ptr<QProcess> m_xvfb;
    QString m_displayDescription = QStringLiteral("none");
    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<BenchFiles> m_files;
    MedianReporter m_medians;
};

// The milliseconds `work` takes, by the steady clock.
template<typename Work>
double msOf(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
