#include "FileText.h"

#include "Cp932.h"
#include "FileMapping.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// Metrics for a text that nobody lays out with its own.
std::shared_ptr<const TextMetrics> defaultMetrics()
{
    static const auto metrics = TextMetrics::uniform(UnitsPerPixel, XUnits(8 * UnitsPerPixel));
    return metrics;
}

} // namespace

FileText::FileText()
    : m_index(defaultMetrics())
{
}

FileText::FileText(qint64 capacity, std::shared_ptr<const TextMetrics> metrics)
    : m_capacity(std::max<qint64>(capacity, 0))
    , m_index(std::move(metrics))
{
    if (m_capacity == 0)
        return;
    // Address space only: memory is taken as the run writes the bytes.
    void *memory = ::mmap(nullptr, std::size_t(m_capacity), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    // No huge pages: on virtual machines that hand freed memory back to the
    // host, faulting them in again is several times slower than 4 KiB pages.
    m_bytes = static_cast<char *>(memory);
    m_ownsBytes = true;
}

FileText::FileText(std::unique_ptr<FileMapping> mapping, std::shared_ptr<const TextMetrics> metrics)
    : m_index(std::move(metrics))
{
    m_bytes = const_cast<char *>(mapping->data());
    m_capacity = mapping->length();
    m_mapping = std::move(mapping);
}

FileText::FileText(std::shared_ptr<const FileText> source, TextEncoding encoding, std::shared_ptr<const TextMetrics> metrics)
    : m_bytes(const_cast<char *>(source->data()))
    , m_capacity(source->size())
    , m_dropped(source->droppedBytes())
    , m_roomIsBudget(source->roomIsBudget())
    , m_index(std::move(metrics), encoding)
    , m_source(std::move(source))
{
}

qint64 FileText::indexMore(qint64 n)
{
    Q_ASSERT(m_source);
    const qint64 to = std::min(m_capacity, m_size + std::max<qint64>(n, 0));
    m_size = m_index.extendWithin(m_bytes, m_capacity, to);
    return m_capacity - m_size;
}

FileText::~FileText()
{
    if (m_ownsBytes)
        ::munmap(m_bytes, std::size_t(m_capacity));
}

char *FileText::blockBuffer(qint64 n)
{
    if (m_ownsBytes && m_capacity - m_size >= n) {
        m_block = m_bytes + m_size;
        populate(m_block, n);
        return m_block;
    }
    if (m_bufferSize < n) {
        m_buffer.reset(static_cast<char *>(::operator new[](std::size_t(n), std::align_val_t(BufferAlignment))));
        m_bufferSize = n;
    }
    m_block = m_buffer.get();
    return m_block;
}

// Takes the memory for the next block in one step rather than a page fault
// for each 4 KiB page as read() fills it.
void FileText::populate(char *from, qint64 n)
{
#ifdef MADV_POPULATE_WRITE
    const auto page = std::uintptr_t(4096);
    const auto start = reinterpret_cast<std::uintptr_t>(from) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(from) + std::uintptr_t(n) + page - 1) & ~(page - 1);
    ::madvise(reinterpret_cast<void *>(start), end - start, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(from);
    Q_UNUSED(n);
#endif
}

void FileText::commit(qint64 n)
{
    append(m_block, n);
}

void FileText::append(const char *block, qint64 n)
{
    Q_ASSERT(block || n == 0);
    const qint64 kept = std::min(n, m_capacity - m_size);
    if (m_ownsBytes && block != m_bytes + m_size && kept > 0) {
        populate(m_bytes + m_size, kept);
        std::memcpy(m_bytes + m_size, block, std::size_t(kept));
    }
    m_index.extend(block, kept);
    m_size += kept;
    m_dropped += n - kept;
}

FileMapping::Change FileText::changeSinceRead() const
{
    if (m_source)
        return m_source->changeSinceRead();
    return m_mapping ? m_mapping->change(m_size) : FileMapping::Change::None;
}

QString FileText::toString() const
{
    if (encoding() == TextEncoding::Cp932)
        return Cp932::instance().decode(data(), m_size);
    return textCodec(encoding()).decode(data(), m_size);
}
