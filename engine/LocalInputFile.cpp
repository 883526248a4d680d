#include "LocalInputFile.h"

#include "FileMapping.h"
#include "SystemReason.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

LocalInputFile::~LocalInputFile()
{
    ::close(m_fd);
}

qint64 LocalInputFile::read(char *into, qint64 max)
{
    qint64 done = 0;
    while (done < max) { // a regular file may still return short counts
        const ssize_t n = ::read(m_fd, into + done, std::size_t(max - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) // opened without blocking, and nothing more yet
            return done > 0 ? done : WouldBlock;
        if (n < 0) {
            m_error = errno;
            return done > 0 ? done : -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    // Up to where this read began, from the file's start each time: pages
    // still on their way into the cache's lists (read ahead, or just read)
    // cannot be let go of yet, and a later call takes them. Ranges let go of
    // already cost the system little to walk again.
    if (m_dropBehind && m_readTo > 0)
        ::posix_fadvise(m_fd, 0, m_readTo, POSIX_FADV_DONTNEED);
    m_readTo += done;
    return done;
}

void LocalInputFile::waitForData(int milliseconds)
{
    pollfd ready{m_fd, POLLIN, 0};
    ::poll(&ready, 1, milliseconds);
}

qint64 LocalInputFile::currentSize() const
{
    struct stat info {};
    return ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : -1;
}

QString LocalInputFile::errorText() const
{
    return SystemReason::text(m_error);
}

std::unique_ptr<FileMapping> LocalInputFile::map(qint64 length)
{
    return m_mappable ? FileMapping::map(m_fd, length) : nullptr;
}
