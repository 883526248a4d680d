#include "LocalFileSystem.h"

#include "SystemReason.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class LocalInputFile : public InputFile
{
public:
    explicit LocalInputFile(int fd) : m_fd(fd) {}
    ~LocalInputFile() override { ::close(m_fd); }

    qint64 read(char *into, qint64 max) override
    {
        qint64 done = 0;
        while (done < max) { // a regular file may still return short counts
            const ssize_t n = ::read(m_fd, into + done, std::size_t(max - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                m_error = errno;
                return done > 0 ? done : -1;
            }
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

    QString errorText() const override { return SystemReason::text(m_error); }

private:
    int m_fd;
    int m_error = 0;
};

} // namespace

FileSystem::Status LocalFileSystem::status(const QString &path)
{
    struct stat info {};
    Status result;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        result.errorText = SystemReason::text(errno);
        return result;
    }
    result.ok = true;
    result.isRegular = S_ISREG(info.st_mode);
    result.size = result.isRegular ? qint64(info.st_size) : 0;
    return result;
}

std::unique_ptr<InputFile> LocalFileSystem::open(const QString &path, QString &errorText)
{
    // O_NONBLOCK: a FIFO swapped in for the file must not hang the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorText = SystemReason::text(errno);
        return nullptr;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode)) {
        errorText = examined ? SystemReason::notRegularFile() : SystemReason::text(errno);
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<LocalInputFile>(fd);
}

qint64 LocalFileSystem::availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return -1;
    // readAll reads on to the real end: the file reports a size of 0, so
    // atEnd() is true before the first line.
    const QList<QByteArray> lines = meminfo.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}
