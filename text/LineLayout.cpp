#include "LineLayout.h"

#include "FileText.h"

#include <algorithm>

namespace {

// The most bytes a query walks from where it starts. The index promises the
// place it looks for within BytesPerCheckpoint of a checkpoint, and a row of
// the view shows far fewer characters than this; so only bytes changed since
// they were indexed (a mapped file rewritten) can make a walk reach it.
constexpr qint64 LongestWalk = 4 * CharacterIndex::BytesPerCheckpoint;

} // namespace

// Steps through the characters of one line from a known character start,
// by the layout rule (CharacterReader), as the text's index does, at most
// LongestWalk bytes.
class LineLayout::Walker
{
public:
    Walker(const char *text, const CharacterReader &reader, BytePosition lineEnd, BytePosition position, XUnits x)
        : m_text(reinterpret_cast<const unsigned char *>(text))
        , m_reader(reader)
        , m_end(std::min(lineEnd, position + LongestWalk))
        , m_position(position)
        , m_x(x)
    {
    }

    bool atEnd() const { return m_position >= m_end; }
    // The character here, its advance up to the next character's x, kerning
    // included; atEnd() must be false.
    Placed here() const
    {
        const qint64 at = m_position.value();
        const TextMetrics::Step step = m_reader.step(m_x, m_text + at, m_end - m_position);
        return {m_position, step.length, m_x, step.x - m_x};
    }
    void step(const Placed &character)
    {
        m_position += character.length;
        m_x += character.advance;
    }
    BytePosition position() const { return m_position; }
    XUnits x() const { return m_x; }

private:
    const unsigned char *m_text;
    const CharacterReader &m_reader;
    BytePosition m_end;
    BytePosition m_position;
    XUnits m_x;
};

LineLayout::LineLayout(const FileText &text, const CharacterIndex &characters)
    : m_text(text)
    , m_characters(characters)
    , m_reader(characters.encoding(), characters.metrics())
{
}

// From the checkpoint at or before `position`, if it is on the line, else
// from the line's start.
LineLayout::Walker LineLayout::walkerBefore(const Span &line, BytePosition position) const
{
    const qint64 i = std::min(CharacterIndex::checkpointOf(position), m_characters.checkpointCount() - 1);
    if (i >= 0) {
        const CharacterIndex::Checkpoint checkpoint = m_characters.checkpoint(i);
        if (checkpoint.start >= line.start && checkpoint.start <= position)
            return Walker(m_text.data(), m_reader, line.end, checkpoint.start, checkpoint.x);
    }
    return Walker(m_text.data(), m_reader, line.end, line.start, XUnits(0));
}

LineLayout::Walker LineLayout::walkerBeforeX(const Span &line, XUnits x) const
{
    const qint64 first = CharacterIndex::checkpointOf(line.start + (CharacterIndex::BytesPerCheckpoint - 1));
    const qint64 last = std::min(CharacterIndex::checkpointOf(line.end), m_characters.checkpointCount() - 1);
    const qint64 i = m_characters.checkpointBeforeX(first, last, x);
    if (i >= first) {
        const CharacterIndex::Checkpoint checkpoint = m_characters.checkpoint(i);
        if (checkpoint.start >= line.start)
            return Walker(m_text.data(), m_reader, line.end, checkpoint.start, checkpoint.x);
    }
    return Walker(m_text.data(), m_reader, line.end, line.start, XUnits(0));
}

XUnits LineLayout::xOf(const Span &line, BytePosition position) const
{
    position = std::clamp(position, line.start, line.end);
    Walker walker = walkerBefore(line, position);
    while (walker.position() < position && !walker.atEnd())
        walker.step(walker.here());
    return walker.x();
}

LineLayout::Placed LineLayout::characterAt(const Span &line, XUnits x) const
{
    Walker walker = walkerBeforeX(line, x);
    while (!walker.atEnd()) {
        const Placed character = walker.here();
        if (x < character.x + character.advance)
            return character;
        walker.step(character);
    }
    return {walker.position(), 0, walker.x(), XUnits(0)};
}

BytePosition LineLayout::positionAt(const Span &line, XUnits x) const
{
    const Placed character = characterAt(line, x);
    return 2 * (x - character.x) >= character.advance && character.length > 0 ? character.position + character.length
                                                                               : character.position;
}

std::vector<LineLayout::Placed> LineLayout::characters(const Span &line, XUnits fromX, XUnits toX) const
{
    std::vector<Placed> placed;
    Walker walker = walkerBeforeX(line, fromX);
    while (!walker.atEnd() && walker.x() < toX) {
        const Placed character = walker.here();
        if (character.x + character.advance > fromX || character.x >= fromX)
            placed.push_back(character);
        walker.step(character);
    }
    return placed;
}
