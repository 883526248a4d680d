#pragma once

#include "TextIndex.h"

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
    // Room for `capacity` bytes, reserved at once and never moved; memory is
    // taken as bytes are written.
    explicit FileText(qint64 capacity);
    ~FileText();
    FileText(const FileText &) = delete;
    FileText &operator=(const FileText &) = delete;

    qint64 size() const { return m_size; }
    const char *data() const { return m_bytes; }

    // Where the next bytes go; at most capacity() - size() of them.
    char *end() { return m_bytes + m_size; }
    // Takes the next n bytes written at end() and indexes them: O(n), a
    // memchr pass or two.
    void commit(qint64 n);
    // Lines and character starts of the bytes committed so far.
    const TextIndex &index() const { return m_index; }

    // The whole text decoded; U+FFFD for what the code page does not define.
    QString toString() const;

private:
    char *m_bytes = nullptr;
    qint64 m_capacity = 0;
    qint64 m_size = 0;
    TextIndex m_index;
};
