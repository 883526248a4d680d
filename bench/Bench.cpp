#include "Bench.h"

#include "ChildProcess.h"

#include <QApplication>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

Bench::Bench(std::string name, Step setUp, Step report)
    : m_name(std::move(name)), m_setUp(std::move(setUp)), m_report(std::move(report))
{
}

// The application goes before its display.
Bench::~Bench()
{
    m_application.reset();
    if (m_xvfb) {
        m_xvfb->terminate();
        m_xvfb->waitForFinished();
    }
}

int Bench::run(int argc, char **argv)
{
    try {
        if (argc >= 4 && std::strcmp(argv[1], ChildProcess::SelfFlag) == 0)
            return runChild(argc, argv);
        return runCases(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", m_name.c_str(), e.what());
        return 1;
    }
}

// argv: this program, the flag, the child's name, the report's path, its arguments.
int Bench::runChild(int argc, char **argv)
{
    const auto work = m_children.find(argv[2]);
    if (work == m_children.end())
        throw std::runtime_error(std::string("no child called ") + argv[2]);
    const std::string report = work->second(std::vector<std::string>(argv + 4, argv + argc));
    return ChildProcess::writeReport(argv[3], report) ? 0 : 1;
}

int Bench::runCases(int argc, char **argv)
{
    m_fileSize = fileSizeFromEnvironment();
    m_repetitionsChosen = std::getenv("BENCHMARK_REPETITIONS")
        || std::any_of(argv + 1, argv + argc, [](const char *a) { return std::strstr(a, "--benchmark_repetitions") == a; });
    if (display || application)
        startDisplay();
    if (application)
        m_application = std::make_unique<QApplication>(argc, argv);
    std::vector<char *> arguments = argumentsWithDefaults(argc, argv);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 2;
    m_files = std::make_unique<BenchFiles>();
    m_setUp(*this);
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks(&m_medians);
    std::fflush(stdout);
    m_report(*this);
    benchmark::Shutdown();
    return 0;
}

std::vector<char *> Bench::argumentsWithDefaults(int argc, char **argv)
{
    m_defaults = {"--benchmark_display_aggregates_only=true"};
    if (interleaved && !std::getenv("BENCHMARK_ENABLE_RANDOM_INTERLEAVING"))
        m_defaults.emplace_back("--benchmark_enable_random_interleaving=true");
    if (tabular)
        m_defaults.emplace_back("--benchmark_counters_tabular=true");
    std::vector<char *> arguments{argv[0]};
    for (std::string &flag : m_defaults)
        arguments.push_back(flag.data());
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    return arguments;
}

std::optional<qint64> Bench::fileSizeFromEnvironment()
{
    bool ok = false;
    const qint64 mib = qEnvironmentVariableIntValue("HEXMOTH_BENCH_FILE_MIB", &ok);
    if (qEnvironmentVariableIsEmpty("HEXMOTH_BENCH_FILE_MIB"))
        return std::nullopt;
    if (!ok || mib < 1 || mib > 4096)
        throw std::runtime_error("HEXMOTH_BENCH_FILE_MIB must be a whole number of MiB from 1 to 4096");
    return mib << 20;
}

// Windows are really painted: when neither DISPLAY nor QT_QPA_PLATFORM is
// set, on an Xvfb of our own (DISPLAY set for this process and its
// children), else offscreen. Before any QGuiApplication, which picks the
// platform when it starts.
void Bench::startDisplay()
{
    m_displayDescription = qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qEnvironmentVariable("QT_QPA_PLATFORM")
                                                                      : QStringLiteral("DISPLAY ") + qEnvironmentVariable("DISPLAY");
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY"))
        return;
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (m_xvfb->waitForStarted() && m_xvfb->waitForReadyRead(10000)) {
        const QByteArray display = ':' + m_xvfb->readLine().trimmed();
        qputenv("DISPLAY", display);
        m_displayDescription = QStringLiteral("Xvfb ") + QString::fromLatin1(display);
        return;
    }
    m_xvfb.reset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    m_displayDescription = QStringLiteral("offscreen");
}

void Bench::add(const std::string &name, std::function<void(benchmark::State &)> once, int count)
{
    auto *added = benchmark::RegisterBenchmark(name.c_str(), [once = std::move(once)](benchmark::State &state) {
        for (auto _ : state)
            once(state);
    });
    added->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    if (!m_repetitionsChosen)
        added->Repetitions(count > 0 ? count : repetitions);
}
