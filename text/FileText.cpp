#include "FileText.h"

#include "Cp932.h"

#include <new>
#include <sys/mman.h>

FileText::FileText(qint64 capacity)
    : m_capacity(capacity)
{
    if (capacity <= 0)
        return;
    void *memory = ::mmap(nullptr, std::size_t(capacity), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    // No huge pages: on virtual machines that hand freed memory back to the
    // host, faulting them in again is several times slower than 4 KiB pages.
    m_bytes = static_cast<char *>(memory);
}

FileText::~FileText()
{
    if (m_bytes)
        ::munmap(m_bytes, std::size_t(m_capacity));
}

void FileText::commit(qint64 n)
{
    Q_ASSERT(n >= 0 && m_size + n <= m_capacity);
    m_size += n;
    m_index.extend(m_bytes, m_size);
}

QString FileText::toString() const
{
    return Cp932::instance().decode(data(), m_size);
}
