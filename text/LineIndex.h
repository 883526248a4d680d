#pragma once

#include "TextUnits.h"

#include <QtGlobal>
#include <deque>
#include <utility>
#include <vector>

// Where the lines of a growing text start.
//
// Lines end at CR LF, LF or CR. A text with n breaks has n + 1 lines, so an
// empty text has one empty line, and a text ending in a break ends with an
// empty line. A line's end is the position of its break (or the text's end).
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
// a checkpoint: a break that is gone ends its line at that bound (less a
// byte for each line left before the next checkpoint), no line ends before
// it starts, and no two lines start at one place.
class LineIndex
{
public:
    // The code units the breaks are made of: bytes (code page 932, UTF-8,
    // EUC-JP, whose CR and LF bytes are never part of another character),
    // or UTF-16's two-byte units, counted from the text's first byte.
    enum class BreakUnits { Bytes, Utf16Le, Utf16Be };

    explicit LineIndex(BreakUnits units = BreakUnits::Bytes) : m_units(units) {}
    BreakUnits breakUnits() const { return m_units; }
    // The value of the break unit at `at`, which must be in the text.
    char16_t unitAt(const char *text, BytePosition at) const;
    qint64 unitBytes() const { return m_units == BreakUnits::Bytes ? 1 : 2; }
    static constexpr qint64 LinesPerCheckpoint = 1024;
    static constexpr qint64 BytesPerCheckpoint = qint64(64) << 10;

    struct Span
    {
        BytePosition start;
        BytePosition end;
    };

    // A line whose start is recorded.
    struct Checkpoint
    {
        LineNumber line;
        BytePosition start;
    };

    // Takes in the next n bytes of the text; bytes as break units only
    // (UTF-16 texts are taken in by a scan, takeScan()).
    void extend(const char *bytes, qint64 n);
    qint64 scanned() const { return m_scanned; }

    LineNumber lineCount() const { return m_knownLines + (m_pendingCr ? 1 : 0); }
    // Bytes of the longest line, its break not counted.
    qint64 longestLineLength() const;

    // 0 <= line < lineCount().
    BytePosition lineStart(const char *text, LineNumber line) const;
    BytePosition lineEnd(const char *text, LineNumber line) const;
    // Up to `count` lines from `first` on, in order; fewer at the end.
    std::vector<Span> lines(const char *text, LineNumber first, qint64 count) const;
    // The line that holds `position` (0 <= position <= scanned()). A break
    // belongs to the line it ends; the text's end belongs to the last line.
    LineNumber lineOf(const char *text, BytePosition position) const;

    qsizetype checkpointCount() const { return qsizetype(m_checkpoints.size()); }
    // The i-th recorded start, for checks.
    Checkpoint checkpoint(qsizetype i) const { return m_checkpoints[std::size_t(i)]; }
    qint64 memoryBytes() const { return qint64(m_checkpoints.size() * sizeof(Checkpoint)); }

    // Where a scan of its own (TextScan) has got to, as extend() would
    // have left the index.
    struct Scanned
    {
        qint64 scanned;
        LineNumber knownLines;
        BytePosition lastStart;
        qint64 longest;
        bool pendingCr;
    };
    // Takes in that state and the checkpoints the scan recorded since the
    // last call, in order; `newCheckpoints` is left empty.
    void takeScan(const Scanned &state, std::vector<Checkpoint> &newCheckpoints);

private:

    using CheckpointIt = std::deque<Checkpoint>::const_iterator;

    void beginLine(BytePosition start);
    void endLine(BytePosition lineBreak);
    BytePosition end() const { return BytePosition(m_scanned); }
    // The first checkpoint after `line`, or the end.
    CheckpointIt checkpointAfter(LineNumber line) const;
    // Start of line + 1, which must exist; `line` starts at `start`.
    BytePosition nextLineStart(const char *text, LineNumber line, BytePosition start, CheckpointIt next) const;
    // The latest start `line`, no checkpoint, may have before `next`.
    BytePosition latestStart(LineNumber line, CheckpointIt next) const;
    BytePosition endBefore(const char *text, BytePosition start, BytePosition nextStart) const;
    // The first CR or LF unit in [from, to), or to.
    BytePosition findBreak(const char *text, BytePosition from, BytePosition to) const;
    // The length of the break at `at`, a CR or LF unit: a CR LF whole.
    qint64 breakLength(const char *text, BytePosition at) const;

    BreakUnits m_units;

    std::deque<Checkpoint> m_checkpoints{{LineNumber(0), BytePosition(0)}}; // grows without moving (see CharacterIndex)
    qint64 m_scanned = 0;
    LineNumber m_knownLines{1}; // lines whose start is settled
    BytePosition m_lastStart;   // start of the last of them
    qint64 m_longest = 0;    // longest line ended so far
    bool m_pendingCr = false; // the last byte taken in is a CR
};
