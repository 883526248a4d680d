#pragma once

#include "FileMapping.h"
#include "TextIndex.h"

#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

// The text of a dumped file: its bytes, kept as they are and decoded as
// code page 932 only when asked, with the indexes that let any part of it be
// shown at once. The run adds the file's blocks in order; the text is shared
// read-only once the run is over.
//
// The bytes are held in one of two ways. A copy: room reserved at once and
// never moved, memory taken as the blocks are read into it. Or the file
// itself, mapped: the blocks are read into a buffer only to be indexed, and
// what is shown is read from the file (see FileMapping).
class FileText
{
public:
    // An empty text.
    FileText();
    // A copy with room for `capacity` bytes; what the run reads past it is
    // not kept. Throws std::bad_alloc when the room cannot be reserved.
    FileText(qint64 capacity, std::shared_ptr<const TextMetrics> metrics);
    // The file's own bytes, as far as the mapping reaches.
    FileText(std::unique_ptr<FileMapping> mapping, std::shared_ptr<const TextMetrics> metrics);
    // The bytes of `source` read in another encoding: they are shared, not
    // copied, and indexed by indexMore(); until then the text is empty.
    FileText(std::shared_ptr<const FileText> source, TextEncoding encoding, std::shared_ptr<const TextMetrics> metrics);
    ~FileText();
    FileText(const FileText &) = delete;
    FileText &operator=(const FileText &) = delete;

    qint64 size() const { return m_size; }
    // Bytes there is room for.
    qint64 capacity() const { return m_capacity; }
    const char *data() const { return m_bytes; }
    const TextIndex &index() const { return m_index; }
    const TextMetrics &metrics() const { return m_index.characters().metrics(); }
    TextEncoding encoding() const { return m_index.encoding(); }
    // A text of another's bytes: indexes at least the next n of them, whole
    // characters, and returns how many are left.
    qint64 indexMore(qint64 n);
    // The source's size: what indexMore() reaches.
    qint64 sourceSize() const { return m_source ? m_capacity : m_size; }

    // Where the run reads its next block of at most n bytes.
    char *blockBuffer(qint64 n);
    // Takes the n bytes just read into the last blockBuffer(): keeps what there is
    // room for and indexes it, O(n).
    void commit(qint64 n);
    // Takes n bytes read elsewhere, as commit() does.
    void append(const char *block, qint64 n);

    // Bytes the run read that there was no room for: the text ends before
    // the file does.
    qint64 droppedBytes() const { return m_dropped; }
    // The copy's room is the limit given to a file whose size is not known
    // until its end, not what memory allowed: the bytes past it were
    // dropped by design.
    void markRoomAsBudget() { m_roomIsBudget = true; }
    bool roomIsBudget() const { return m_roomIsBudget; }
    bool isMapped() const { return m_source ? m_source->isMapped() : m_mapping != nullptr; }
    // What happened to a mapped file since it was read; a copy stays as
    // it was read.
    FileMapping::Change changeSinceRead() const;

    // The whole text decoded; U+FFFD for what the encoding does not define.
    QString toString() const;

private:
    static void populate(char *from, qint64 n);

    char *m_bytes = nullptr;
    qint64 m_capacity = 0;
    qint64 m_size = 0;
    qint64 m_dropped = 0;
    bool m_ownsBytes = false;
    bool m_roomIsBudget = false;
    std::unique_ptr<FileMapping> m_mapping;
    // Blocks that do not go straight into the bytes. Page-aligned as the
    // file's pages are: the kernel copies into a buffer 16 bytes off a
    // page boundary, where a heap block starts, at half the speed.
    struct AlignedDelete
    {
        void operator()(char *p) const { ::operator delete[](p, std::align_val_t(BufferAlignment)); }
    };
    static constexpr std::size_t BufferAlignment = 4096;
    std::unique_ptr<char[], AlignedDelete> m_buffer;
    qint64 m_bufferSize = 0;
    char *m_block = nullptr;    // the last blockBuffer()
    TextIndex m_index;
    std::shared_ptr<const FileText> m_source; // whose bytes these are
};
