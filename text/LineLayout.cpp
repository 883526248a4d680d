#include "LineLayout.h"

#include "FileText.h"

#include <algorithm>

namespace {

// The most bytes a query walks from where it starts. The index promises the
// place it looks for within a stride of an anchor, and a row of the view
// shows far fewer characters than this; so only bytes changed since they
// were indexed (a mapped file rewritten) can make a walk reach it.
constexpr qint64 LongestWalk = 4 * CharacterIndex::Stride;

} // namespace

// Steps through the characters of one line from a known character start,
// by TextMetrics::step, as the text's index does, at most LongestWalk bytes.
class LineLayout::Walker
{
public:
    Walker(const char *text, const TextMetrics &metrics, qint64 lineEnd, qint64 position, Units x)
        : m_text(reinterpret_cast<const unsigned char *>(text))
        , m_metrics(metrics)
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
        const int next = m_position + 1 < m_end ? m_text[m_position + 1] : -1;
        const TextMetrics::Step step = m_metrics.step(m_x, m_text[m_position], next);
        return {m_position, step.length, m_x, step.x - m_x};
    }
    void step(const Placed &character)
    {
        m_position += character.length;
        m_x += character.advance;
    }
    qint64 position() const { return m_position; }
    Units x() const { return m_x; }

private:
    const unsigned char *m_text;
    const TextMetrics &m_metrics;
    qint64 m_end;
    qint64 m_position;
    Units m_x;
};

LineLayout::LineLayout(const FileText &text, const CharacterIndex &characters)
    : m_text(text)
    , m_characters(characters)
{
}

// From the anchor of the stride that holds `position`, if it is on the
// line, else from the line's start.
LineLayout::Walker LineLayout::walkerBefore(const Span &line, qint64 position) const
{
    const qint64 stride = std::min(position / CharacterIndex::Stride, m_characters.strideCount() - 1);
    if (stride >= 0) {
        const CharacterIndex::Anchor anchor = m_characters.anchor(stride);
        if (anchor.position >= line.start && anchor.position <= position)
            return Walker(m_text.data(), metrics(), line.end, anchor.position, anchor.x);
    }
    return Walker(m_text.data(), metrics(), line.end, line.start, 0);
}

LineLayout::Walker LineLayout::walkerBeforeX(const Span &line, Units x) const
{
    constexpr qint64 Stride = CharacterIndex::Stride;
    const qint64 first = (line.start + Stride - 1) / Stride;
    const qint64 last = std::min(line.end / Stride, m_characters.strideCount() - 1);
    const qint64 stride = m_characters.strideBeforeX(first, last, x);
    if (stride >= first) {
        const CharacterIndex::Anchor anchor = m_characters.anchor(stride);
        if (anchor.position >= line.start)
            return Walker(m_text.data(), metrics(), line.end, anchor.position, anchor.x);
    }
    return Walker(m_text.data(), metrics(), line.end, line.start, 0);
}

LineLayout::Units LineLayout::xOf(const Span &line, qint64 position) const
{
    position = std::clamp(position, line.start, line.end);
    Walker walker = walkerBefore(line, position);
    while (walker.position() < position && !walker.atEnd())
        walker.step(walker.here());
    return walker.x();
}

LineLayout::Placed LineLayout::characterAt(const Span &line, Units x) const
{
    Walker walker = walkerBeforeX(line, x);
    while (!walker.atEnd()) {
        const Placed character = walker.here();
        if (x < character.x + character.advance)
            return character;
        walker.step(character);
    }
    return {walker.position(), 0, walker.x(), 0};
}

qint64 LineLayout::positionAt(const Span &line, Units x) const
{
    const Placed character = characterAt(line, x);
    return 2 * (x - character.x) >= character.advance && character.length > 0 ? character.position + character.length
                                                                               : character.position;
}

std::vector<LineLayout::Placed> LineLayout::characters(const Span &line, Units fromX, Units toX) const
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
