#include "FileText.h"

#include "Cp932.h"

FileText::FileText(qint64 capacity)
    : m_bytes(capacity > 0 ? new char[std::size_t(capacity)] : nullptr)
    , m_capacity(capacity)
{
}

void FileText::commit(qint64 n)
{
    Q_ASSERT(n >= 0 && m_size + n <= m_capacity);
    m_size += n;
}

QString FileText::toString() const
{
    return Cp932::instance().decode(data(), m_size);
}
