#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <utility>
#include <unistd.h>

namespace {

// Where a child started by runSelf writes its report.
constexpr int ReportFd = 3;

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool writeAll(int fd, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

std::string readAll(int fd)
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, std::size_t(n));
    }
}

[[noreturn]] void execInChild(const std::vector<std::string> &command, int reportFd)
{
    // dup2 clears close-on-exec, except on a descriptor that is already 3.
    if (reportFd >= 0 && (reportFd == ReportFd ? ::fcntl(ReportFd, F_SETFD, 0) : ::dup2(reportFd, ReportFd)) < 0)
        ::_exit(126);
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull < 0 || ::dup2(devNull, STDOUT_FILENO) < 0)
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
    return exec(command, command[0], false);
}

ChildProcess::Outcome ChildProcess::runSelf(const std::string &name, const std::vector<std::string> &arguments)
{
    std::vector<std::string> command{std::filesystem::read_symlink("/proc/self/exe").string(), SelfFlag, name};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return exec(command, name, true);
}

ChildProcess::Outcome ChildProcess::exec(const std::vector<std::string> &command, const std::string &label, bool withReport)
{
    Outcome outcome = launch([&](int reportFd) { execInChild(command, reportFd); }, withReport);
    if (!outcome.ok)
        outcome.failure = label + ": " + outcome.failure;
    return outcome;
}

void ChildProcess::Outcome::count(benchmark::UserCounters &counters, const std::string &prefix) const
{
    counters[prefix + "peak_MiB"] = double(peakBytes) / (1 << 20);
    counters[prefix + "user_ms"] = userSeconds * 1e3;
    counters[prefix + "sys_ms"] = systemSeconds * 1e3;
}

bool ChildProcess::writeReport(const std::string &report)
{
    return writeAll(ReportFd, report);
}

// A child that fails says why through its report.
ChildProcess::Outcome ChildProcess::fork(const std::function<std::string()> &work)
{
    Outcome outcome = launch([&](int reportFd) {
        int status = 0;
        try {
            writeAll(reportFd, work());
        } catch (const std::exception &e) {
            writeAll(reportFd, e.what());
            status = 1;
        }
        ::_exit(status);
    }, true);
    if (!outcome.ok && !outcome.report.empty())
        outcome.failure = std::exchange(outcome.report, {});
    return outcome;
}

// The report is read before the child is reaped, so a large one cannot
// block the child.
ChildProcess::Outcome ChildProcess::launch(const std::function<void(int reportFd)> &inChild, bool withReport)
{
    int ends[2] = {-1, -1};
    if (withReport && ::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::fflush(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        inChild(ends[1]);
        ::_exit(127);
    }
    std::string report;
    if (withReport) {
        ::close(ends[1]);
        report = pid > 0 ? readAll(ends[0]) : std::string();
        ::close(ends[0]);
    }
    Outcome outcome = reap(pid, start);
    outcome.report = report;
    return outcome;
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

ChildProcess::Outcome ChildProcess::reap(int pid, double startSeconds)
{
    Outcome outcome;
    if (pid < 0) {
        outcome.failure = std::string("fork: ") + std::strerror(errno);
        return outcome;
    }
    int status = 0;
    rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            outcome.failure = std::string("wait4: ") + std::strerror(errno);
            return outcome;
        }
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
