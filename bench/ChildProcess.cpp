#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void writeAll(int fd, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
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

[[noreturn]] void execInChild(const std::vector<std::string> &command)
{
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
    std::fflush(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0)
        execInChild(command);
    Outcome outcome = reap(pid, start);
    if (!outcome.ok)
        outcome.failure = command[0] + ": " + outcome.failure;
    return outcome;
}

ChildProcess::Outcome ChildProcess::fork(const std::function<std::string()> &work)
{
    std::fflush(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        Outcome failed;
        failed.failure = std::string("pipe: ") + std::strerror(errno);
        return failed;
    }
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        int status = 0;
        try {
            writeAll(pipeEnds[1], work());
        } catch (const std::exception &e) {
            writeAll(pipeEnds[1], e.what());
            status = 1;
        }
        ::_exit(status);
    }
    ::close(pipeEnds[1]);
    const std::string report = pid > 0 ? readAll(pipeEnds[0]) : std::string();
    ::close(pipeEnds[0]);
    Outcome outcome = reap(pid, start);
    if (outcome.ok)
        outcome.report = report;
    else if (!report.empty())
        outcome.failure = report;
    return outcome;
}

qint64 ChildProcess::floor()
{
    return fork([] { return std::string(); }).peakBytes;
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
