#include "FileMapping.h"

#include "MappingGuard.h"

#include <sys/mman.h>

std::unique_ptr<FileMapping> FileMapping::map(int fd, qint64 length)
{
    if (length <= 0)
        return nullptr;
    void *data = ::mmap(nullptr, std::size_t(length), PROT_READ, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED)
        return nullptr;
    const int slot = MappingGuard::add(static_cast<const char *>(data), length);
    if (slot < 0) { // unguarded, a shortened file could end the program
        ::munmap(data, std::size_t(length));
        return nullptr;
    }
    return std::unique_ptr<FileMapping>(new FileMapping(static_cast<char *>(data), length, slot));
}

FileMapping::FileMapping(char *data, qint64 length, int slot)
    : m_data(data)
    , m_length(length)
    , m_slot(slot)
{
}

FileMapping::~FileMapping()
{
    MappingGuard::remove(m_slot);
    ::munmap(m_data, std::size_t(m_length));
}

qint64 FileMapping::vanishedPages() const
{
    return MappingGuard::vanishedPages(m_slot);
}
