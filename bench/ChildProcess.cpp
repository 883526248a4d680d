#include "ChildProcess.h"

#include <QTemporaryFile>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// `command` found on PATH, its output to /dev/null.
[[noreturn]] void execute(const std::vector<std::string> &command)
{
    if (!std::freopen("/dev/null", "w", stdout))
        ::_exit(126);
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

} // namespace

ChildProcess::Outcome ChildProcess::run(const std::vector<std::string> &command)
{
    return launch([&](const std::string &) { execute(command); }, command[0]);
}

ChildProcess::Outcome ChildProcess::runSelf(const std::string &name, const std::vector<std::string> &arguments)
{
    return launch([&](const std::string &reportPath) {
        std::vector<std::string> command{std::filesystem::read_symlink("/proc/self/exe").string(), SelfFlag, name, reportPath};
        command.insert(command.end(), arguments.begin(), arguments.end());
        execute(command);
    }, name);
}

bool ChildProcess::writeReport(const std::string &reportPath, const std::string &report)
{
    const int file = ::open(reportPath.c_str(), O_WRONLY | O_TRUNC);
    return file >= 0 && ::write(file, report.data(), report.size()) == ssize_t(report.size()) && ::close(file) == 0;
}

// A child that fails says why through its report.
ChildProcess::Outcome ChildProcess::fork(const std::function<std::string()> &work)
{
    Outcome outcome = launch([&](const std::string &reportPath) {
        try {
            ::_exit(writeReport(reportPath, work()) ? 0 : 1);
        } catch (const std::exception &e) {
            writeReport(reportPath, e.what());
            ::_exit(1);
        }
    });
    if (!outcome.ok && !outcome.report.empty())
        outcome.failure = std::exchange(outcome.report, {});
    return outcome;
}

ChildProcess::Outcome ChildProcess::launch(const std::function<void(const std::string &reportPath)> &inChild, const std::string &label)
{
    QTemporaryFile report;
    if (!report.open())
        throw std::runtime_error("cannot make a file for a child's report: " + report.errorString().toStdString());
    const std::string reportPath = report.fileName().toStdString();
    std::fflush(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        inChild(reportPath);
        ::_exit(127);
    }
    Outcome outcome = reap(pid, start);
    outcome.report = report.readAll().toStdString();
    if (!outcome.ok && !label.empty())
        outcome.failure = label + ": " + outcome.failure;
    return outcome;
}

ChildProcess::Outcome ChildProcess::reap(int pid, double startSeconds)
{
    Outcome outcome;
    int status = 0;
    rusage usage{};
    int waited = -1;
    while (pid > 0 && (waited = ::wait4(pid, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    if (waited < 0) {
        outcome.failure = std::string(pid < 0 ? "fork: " : "wait4: ") + std::strerror(errno);
        return outcome;
    }
    outcome.seconds = now() - startSeconds;
    outcome.userSeconds = seconds(usage.ru_utime);
    outcome.systemSeconds = seconds(usage.ru_stime);
    outcome.peakBytes = qint64(usage.ru_maxrss) * 1024;
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (WIFEXITED(status) && !outcome.ok)
        outcome.failure = "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        outcome.failure = std::string("killed by ") + strsignal(WTERMSIG(status));
    return outcome;
}

void ChildProcess::Outcome::count(benchmark::UserCounters &counters, const std::string &prefix) const
{
    counters[prefix + "peak_MiB"] = double(peakBytes) / (1 << 20);
    counters[prefix + "user_ms"] = userSeconds * 1e3;
    counters[prefix + "sys_ms"] = systemSeconds * 1e3;
}

qint64 ChildProcess::floor()
{
    return fork([] { return std::string(); }).peakBytes;
}

void ChildProcess::warmMemory(qint64 size)
{
    fork([size] {
        void *memory = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        for (qint64 offset = 0; offset < size; offset += 4096)
            static_cast<volatile char *>(memory)[offset] = 1;
        return std::string();
    });
}

qint64 ChildProcess::totalMemory()
{
    struct sysinfo info {};
    return ::sysinfo(&info) == 0 ? qint64(info.totalram) * info.mem_unit : qint64(16) << 30;
}
