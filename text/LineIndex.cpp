#include "LineIndex.h"

#include "BreakFinder.h"

#include <algorithm>

void LineIndex::extend(const char *bytes, qint64 n)
{
    const qint64 base = m_scanned;
    const qint64 size = base + n;
    const auto at = [&](qint64 offset) { return bytes[offset - base]; };
    qint64 pos = base;
    if (m_pendingCr && n > 0) {
        m_pendingCr = false;
        beginLine(at(pos) == '\n' ? pos + 1 : pos);
        pos = m_lastStart;
    }
    BreakFinder finder(bytes + n);
    while (pos < size) {
        const qint64 found = base + (finder.next(bytes + (pos - base)) - bytes);
        if (found == size)
            break;
        endLine(found);
        if (at(found) == '\r' && found + 1 == size) {
            m_pendingCr = true; // an LF may come with the next bytes
            break;
        }
        const bool crLf = at(found) == '\r' && at(found + 1) == '\n';
        beginLine(found + (crLf ? 2 : 1));
        pos = m_lastStart;
    }
    m_scanned = size;
}

void LineIndex::beginLine(qint64 start)
{
    const qint64 line = m_knownLines++;
    m_lastStart = start;
    if (line % LinesPerCheckpoint == 0 || start - m_checkpoints.back().offset >= BytesPerCheckpoint)
        m_checkpoints.push_back({line, start});
}

void LineIndex::endLine(qint64 breakOffset)
{
    m_longest = std::max(m_longest, breakOffset - m_lastStart);
}

qint64 LineIndex::longestLineLength() const
{
    return m_pendingCr ? m_longest : std::max(m_longest, m_scanned - m_lastStart);
}

LineIndex::CheckpointIt LineIndex::checkpointAfter(qint64 line) const
{
    return std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), line,
                            [](qint64 l, const Checkpoint &c) { return l < c.line; });
}

qint64 LineIndex::nextLineStart(const char *text, qint64 line, qint64 start, CheckpointIt next) const
{
    if (next != m_checkpoints.end() && next->line == line + 1)
        return next->offset;
    if (line + 1 == m_knownLines)
        return m_scanned; // the empty line after a CR at the end
    // Line + 1 is no checkpoint, so its break lies within BytesPerCheckpoint
    // of the checkpoint before it: the scan is short. The bytes of a mapped
    // file may have changed since they were indexed: a break that is gone
    // ends the line at that bound, never beyond.
    const qint64 limit = scanLimit(next);
    if (start >= limit)
        return limit;
    const qint64 found = BreakFinder(text + limit).next(text + start) - text;
    if (found >= limit)
        return limit;
    return found + (text[found] == '\r' && found + 1 < m_scanned && text[found + 1] == '\n' ? 2 : 1);
}

qint64 LineIndex::scanLimit(CheckpointIt next) const
{
    const qint64 window = std::prev(next)->offset + BytesPerCheckpoint;
    return std::min(next != m_checkpoints.end() ? next->offset : m_scanned, window);
}

// The end of a line that starts at `start` and is followed by one starting
// at `nextStart`; never before its start, even where the bytes have changed.
qint64 LineIndex::endBefore(const char *text, qint64 start, qint64 nextStart) const
{
    const bool crLf = nextStart - start >= 2 && text[nextStart - 1] == '\n' && text[nextStart - 2] == '\r';
    return std::max(start, nextStart - (crLf ? 2 : 1));
}

qint64 LineIndex::lineStart(const char *text, qint64 line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    const CheckpointIt next = checkpointAfter(line);
    const CheckpointIt from = std::prev(next);
    qint64 start = from->offset;
    for (qint64 l = from->line; l < line; ++l)
        start = nextLineStart(text, l, start, next);
    return start;
}

qint64 LineIndex::lineEnd(const char *text, qint64 line) const
{
    const std::vector<Span> span = lines(text, line, 1);
    return span.empty() ? m_scanned : span.front().end;
}

std::vector<LineIndex::Span> LineIndex::lines(const char *text, qint64 first, qint64 count) const
{
    std::vector<Span> spans;
    if (first < 0 || first >= lineCount() || count <= 0)
        return spans;
    spans.reserve(std::size_t(std::min(count, lineCount() - first)));
    qint64 start = lineStart(text, first);
    CheckpointIt next = checkpointAfter(first);
    for (qint64 line = first; line < lineCount() && qint64(spans.size()) < count; ++line) {
        if (line + 1 == lineCount()) {
            spans.push_back({start, m_scanned});
            break;
        }
        const qint64 nextStart = nextLineStart(text, line, start, next);
        spans.push_back({start, endBefore(text, start, nextStart)});
        start = nextStart;
        if (next != m_checkpoints.end() && next->line == line + 1)
            ++next;
    }
    return spans;
}

qint64 LineIndex::lineOf(const char *text, qint64 offset) const
{
    Q_ASSERT(offset >= 0 && offset <= m_scanned);
    const CheckpointIt next = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), offset,
                                               [](qint64 o, const Checkpoint &c) { return o < c.offset; });
    const CheckpointIt from = std::prev(next);
    qint64 line = from->line;
    qint64 start = from->offset;
    while (line + 1 < lineCount()) {
        const qint64 nextStart = nextLineStart(text, line, start, next);
        if (nextStart > offset)
            break;
        ++line;
        start = nextStart;
    }
    return line;
}
