#include "LineIndex.h"

#include "BreakFinder.h"

#include <algorithm>

void LineIndex::extend(const char *bytes, qint64 n)
{
    const BytePosition base = end();
    const BytePosition size = base + n;
    const auto at = [&](BytePosition p) { return bytes[p - base]; };
    BytePosition pos = base;
    if (m_pendingCr && n > 0) {
        m_pendingCr = false;
        beginLine(at(pos) == '\n' ? pos + 1 : pos);
        pos = m_lastStart;
    }
    BreakFinder finder(bytes + n);
    while (pos < size) {
        const BytePosition found = base + (finder.next(bytes + (pos - base)) - bytes);
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
    m_scanned = size.value();
}

void LineIndex::takeScan(const Scanned &state, std::vector<Checkpoint> &newCheckpoints)
{
    m_checkpoints.insert(m_checkpoints.end(), newCheckpoints.begin(), newCheckpoints.end());
    newCheckpoints.clear();
    m_scanned = state.scanned;
    m_knownLines = state.knownLines;
    m_lastStart = state.lastStart;
    m_longest = state.longest;
    m_pendingCr = state.pendingCr;
}

void LineIndex::beginLine(BytePosition start)
{
    const LineNumber line = m_knownLines;
    ++m_knownLines;
    m_lastStart = start;
    if (line.value() % LinesPerCheckpoint == 0 || start - m_checkpoints.back().start >= BytesPerCheckpoint)
        m_checkpoints.push_back({line, start});
}

void LineIndex::endLine(BytePosition lineBreak)
{
    m_longest = std::max(m_longest, lineBreak - m_lastStart);
}

qint64 LineIndex::longestLineLength() const
{
    return m_pendingCr ? m_longest : std::max(m_longest, end() - m_lastStart);
}

LineIndex::CheckpointIt LineIndex::checkpointAfter(LineNumber line) const
{
    return std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), line,
                            [](LineNumber l, const Checkpoint &c) { return l < c.line; });
}

BytePosition LineIndex::nextLineStart(const char *text, LineNumber line, BytePosition start, CheckpointIt next) const
{
    if (next != m_checkpoints.end() && next->line == line + 1)
        return next->start;
    if (line + 1 == m_knownLines)
        return end(); // the empty line after a CR at the end
    // Line + 1 is no checkpoint, so its break lies within BytesPerCheckpoint
    // of the checkpoint before it: the scan is short. The bytes of a mapped
    // file may have changed since they were indexed: a break that is gone
    // ends the line at the latest start line + 1 can have, never beyond.
    const BytePosition latest = latestStart(line + 1, next);
    if (start >= latest)
        return latest;
    const BytePosition found = findBreak(text, start, latest);
    if (found >= latest)
        return latest;
    return std::min(found + breakLength(text, found), latest);
}

// A line that is no checkpoint starts before the next checkpoint and less
// than BytesPerCheckpoint after the one before it; each line after it up to
// the next checkpoint needs a byte of its own. Lines whose breaks are gone
// so keep starts of their own: every line can be reached, no two are one.
BytePosition LineIndex::latestStart(LineNumber line, CheckpointIt next) const
{
    const BytePosition stretchEnd = std::min(next != m_checkpoints.end() ? next->start - 1 : end(),
                                             std::prev(next)->start + (BytesPerCheckpoint - 1));
    const LineNumber lastInStretch = (next != m_checkpoints.end() ? next->line : m_knownLines) - 1;
    return stretchEnd - (lastInStretch - line);
}

// The end of a line that starts at `start` and is followed by one starting
// at `nextStart`; never before its start, even where the bytes have changed.
BytePosition LineIndex::endBefore(const char *text, BytePosition start, BytePosition nextStart) const
{
    const qint64 unit = unitBytes();
    const bool crLf = nextStart - start >= 2 * unit && unitAt(text, nextStart - unit) == '\n' && unitAt(text, nextStart - 2 * unit) == '\r';
    return std::max(start, nextStart - (crLf ? 2 : 1) * unit);
}

BytePosition LineIndex::findBreak(const char *text, BytePosition from, BytePosition to) const
{
    if (m_units == BreakUnits::Bytes)
        return BytePosition(BreakFinder(text + to.value()).next(text + from.value()) - text);
    // Units start at even positions; at most BytesPerCheckpoint bytes.
    for (BytePosition at = from + (from.value() & 1); at + 1 < to; at += 2) {
        const char16_t unit = unitAt(text, at);
        if (unit == '\n' || unit == '\r')
            return at;
    }
    return to;
}

qint64 LineIndex::breakLength(const char *text, BytePosition at) const
{
    const qint64 unit = unitBytes();
    const bool crLf = unitAt(text, at) == '\r' && at + 2 * unit <= end() && unitAt(text, at + unit) == '\n';
    return crLf ? 2 * unit : unit;
}

char16_t LineIndex::unitAt(const char *text, BytePosition at) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(text + at.value());
    switch (m_units) {
    case BreakUnits::Bytes: return p[0];
    case BreakUnits::Utf16Le: return char16_t(p[0] | p[1] << 8);
    case BreakUnits::Utf16Be: return char16_t(p[0] << 8 | p[1]);
    }
    return 0;
}

BytePosition LineIndex::lineStart(const char *text, LineNumber line) const
{
    Q_ASSERT(line >= LineNumber(0) && line < lineCount());
    const CheckpointIt next = checkpointAfter(line);
    const CheckpointIt from = std::prev(next);
    BytePosition start = from->start;
    for (LineNumber l = from->line; l < line; ++l)
        start = nextLineStart(text, l, start, next);
    return start;
}

BytePosition LineIndex::lineEnd(const char *text, LineNumber line) const
{
    const std::vector<Span> span = lines(text, line, 1);
    return span.empty() ? end() : span.front().end;
}

std::vector<LineIndex::Span> LineIndex::lines(const char *text, LineNumber first, qint64 count) const
{
    std::vector<Span> spans;
    if (first < LineNumber(0) || first >= lineCount() || count <= 0)
        return spans;
    spans.reserve(std::size_t(std::min(count, lineCount() - first)));
    BytePosition start = lineStart(text, first);
    CheckpointIt next = checkpointAfter(first);
    for (LineNumber line = first; line < lineCount() && qint64(spans.size()) < count; ++line) {
        if (line + 1 == lineCount()) {
            spans.push_back({start, end()});
            break;
        }
        const BytePosition nextStart = nextLineStart(text, line, start, next);
        spans.push_back({start, endBefore(text, start, nextStart)});
        start = nextStart;
        if (next != m_checkpoints.end() && next->line == line + 1)
            ++next;
    }
    return spans;
}

LineNumber LineIndex::lineOf(const char *text, BytePosition position) const
{
    Q_ASSERT(position >= BytePosition(0) && position <= end());
    const CheckpointIt next = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), position,
                                               [](BytePosition p, const Checkpoint &c) { return p < c.start; });
    const CheckpointIt from = std::prev(next);
    LineNumber line = from->line;
    BytePosition start = from->start;
    while (line + 1 < lineCount()) {
        const BytePosition nextStart = nextLineStart(text, line, start, next);
        if (nextStart > position)
            break;
        ++line;
        start = nextStart;
    }
    return line;
}
