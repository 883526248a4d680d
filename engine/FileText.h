#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// The text of a dumped file: its bytes, kept as they are and decoded as
// code page 932 only when asked. Bytes are added at the end while the file
// is read; the text is shared read-only once the run is over.
class FileText
{
public:
    FileText() = default;
    // Room for `capacity` bytes, allocated at once and never moved.
    explicit FileText(qint64 capacity);

    qint64 size() const { return m_size; }
    qint64 capacity() const { return m_capacity; }
    const char *data() const { return m_bytes.get(); }

    // Where the next bytes go; at most capacity() - size() of them.
    char *end() { return m_bytes.get() + m_size; }
    // Takes the next n bytes written at end().
    void commit(qint64 n);

    // The whole text decoded; U+FFFD for what the code page does not define.
    QString toString() const;

private:
    std::unique_ptr<char[]> m_bytes;
    qint64 m_capacity = 0;
    qint64 m_size = 0;
};
