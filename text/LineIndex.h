#pragma once

#include <QtGlobal>
#include <utility>
#include <vector>

// Where the lines of a growing text start.
//
// Lines end at CR LF, LF or CR. A text with n breaks has n + 1 lines, so an
// empty text has one empty line, and a text ending in a break ends with an
// empty line. A line's end is the offset of its break (or of the text's end).
//
// The index is sparse, so that it stays small beside the text: it records
// the start of every LinesPerCheckpoint-th line and of every line that
// starts BytesPerCheckpoint or more bytes after the last recorded start.
// Any other start lies within BytesPerCheckpoint bytes after a recorded one
// and is found again by a memchr scan of at most that many bytes. So a line
// is found in O(log n) plus one short scan, however long the lines around it,
// and the index costs 16 bytes per LinesPerCheckpoint lines or per
// BytesPerCheckpoint bytes, whichever comes first.
//
// The queries take the whole text, the bytes given to extend() in order;
// they see the text as it was at the last extend(). A CR that ends what was taken in so
// far counts as a whole break, until the next bytes show whether an LF
// follows it. Bytes that changed after they were taken in (a mapped file
// rewritten) never make a query read more than BytesPerCheckpoint bytes past
// a checkpoint: a break that is gone ends its line at that bound, and no
// line ends before it starts.
class LineIndex
{
public:
    static constexpr qint64 LinesPerCheckpoint = 1024;
    static constexpr qint64 BytesPerCheckpoint = qint64(64) << 10;

    struct Span
    {
        qint64 start;
        qint64 end;
    };

    // Takes in the next n bytes of the text.
    void extend(const char *bytes, qint64 n);
    qint64 scanned() const { return m_scanned; }

    qint64 lineCount() const { return m_knownLines + (m_pendingCr ? 1 : 0); }
    // Bytes of the longest line, its break not counted.
    qint64 longestLineLength() const;

    // 0 <= line < lineCount().
    qint64 lineStart(const char *text, qint64 line) const;
    qint64 lineEnd(const char *text, qint64 line) const;
    // Up to `count` lines from `first` on, in order; fewer at the end.
    std::vector<Span> lines(const char *text, qint64 first, qint64 count) const;
    // The line that holds offset (0 <= offset <= scanned()). A break belongs
    // to the line it ends; the text's end belongs to the last line.
    qint64 lineOf(const char *text, qint64 offset) const;

    qsizetype checkpointCount() const { return qsizetype(m_checkpoints.size()); }
    // The i-th recorded start as (line, offset), for checks.
    std::pair<qint64, qint64> checkpoint(qsizetype i) const { return {m_checkpoints[std::size_t(i)].line, m_checkpoints[std::size_t(i)].offset}; }
    qint64 memoryBytes() const { return qint64(m_checkpoints.capacity() * sizeof(Checkpoint)); }

private:
    friend class TextScan; // builds the same state in its own pass

    struct Checkpoint
    {
        qint64 line;
        qint64 offset;
    };
    using CheckpointIt = std::vector<Checkpoint>::const_iterator;

    void beginLine(qint64 start);
    void endLine(qint64 breakOffset);
    // The first checkpoint after `line`, or the end.
    CheckpointIt checkpointAfter(qint64 line) const;
    // Start of line + 1, which must exist; `line` starts at `start`.
    qint64 nextLineStart(const char *text, qint64 line, qint64 start, CheckpointIt next) const;
    // Where a scan for the break of a line before `next` must stop.
    qint64 scanLimit(CheckpointIt next) const;
    qint64 endBefore(const char *text, qint64 start, qint64 nextStart) const;

    std::vector<Checkpoint> m_checkpoints{{0, 0}};
    qint64 m_scanned = 0;
    qint64 m_knownLines = 1; // lines whose start is settled
    qint64 m_lastStart = 0;  // start of the last of them
    qint64 m_longest = 0;    // longest line ended so far
    bool m_pendingCr = false; // the last byte taken in is a CR
};
