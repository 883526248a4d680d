#include "FileMapping.h"

#include "MappingGuard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

std::unique_ptr<FileMapping> FileMapping::map(int fd, qint64 length)
{
    struct stat info {};
    if (length <= 0 || ::fstat(fd, &info) != 0)
        return nullptr;
    void *data = ::mmap(nullptr, std::size_t(length), PROT_READ, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED)
        return nullptr;
    const int slot = MappingGuard::add(static_cast<const char *>(data), length);
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (slot < 0 || own < 0) { // unguarded, a shortened file could end the program
        MappingGuard::remove(slot);
        if (own >= 0)
            ::close(own);
        ::munmap(data, std::size_t(length));
        return nullptr;
    }
    return std::unique_ptr<FileMapping>(new FileMapping(static_cast<char *>(data), length, slot, own, info.st_mtim));
}

FileMapping::FileMapping(char *data, qint64 length, int slot, int fd, timespec modified)
    : m_data(data)
    , m_length(length)
    , m_slot(slot)
    , m_fd(fd)
    , m_modified(modified)
{
}

FileMapping::~FileMapping()
{
    MappingGuard::remove(m_slot);
    ::munmap(m_data, std::size_t(m_length));
    ::close(m_fd);
}

// A shortening shows in the modification time as any write does: the size
// alone tells it apart.
FileMapping::Change FileMapping::change(qint64 read) const
{
    if (MappingGuard::hasVanished(m_slot))
        return Change::Shortened;
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return Change::None;
    const qint64 size = info.st_size;
    if (size < read)
        return Change::Shortened;
    if (size < m_length)
        return Change::ShortenedWhileRead;
    const bool written = info.st_mtim.tv_sec != m_modified.tv_sec || info.st_mtim.tv_nsec != m_modified.tv_nsec;
    if (!written)
        return Change::None;
    return size > m_length ? Change::Grown : Change::Rewritten;
}
