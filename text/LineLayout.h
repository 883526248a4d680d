#pragma once

#include "CharacterIndex.h"
#include "CharacterReader.h"
#include "LineIndex.h"

#include <vector>

class FileText;

// Where the characters of a FileText's lines stand when laid out with the
// metrics of a CharacterIndex built over that text, and which character is
// at a given x: each line from x = 0, no wrapping (see TextMetrics). Every
// query reads at most BytesPerCheckpoint of the line from a checkpoint,
// however long the line, and never more than four times that, whatever the
// bytes are now.
// Cheap to make; holds references.
class LineLayout
{
public:
    using Span = LineIndex::Span;

    // A character of a line where it stands.
    struct Placed
    {
        BytePosition position;
        int length; // in bytes
        XUnits x;
        XUnits advance; // to the next character's x
    };

    // `characters` may be the text's own index or one built with other
    // metrics over the same bytes.
    LineLayout(const FileText &text, const CharacterIndex &characters);

    const TextMetrics &metrics() const { return m_characters.metrics(); }
    const CharacterReader &reader() const { return m_reader; }
    XUnits widestLine() const { return m_characters.widestLine(); }

    // The x of `position` in `line` (line.start <= position <= line.end).
    XUnits xOf(const Span &line, BytePosition position) const;
    // The character of `line` whose box holds x: the first for x <= 0; at or
    // past the line's width, the line's end (with no advance).
    Placed characterAt(const Span &line, XUnits x) const;
    // The position nearest to x: a point on the right half of a character
    // is after it.
    BytePosition positionAt(const Span &line, XUnits x) const;
    // The characters of `line` whose boxes meet [fromX, toX).
    std::vector<Placed> characters(const Span &line, XUnits fromX, XUnits toX) const;

private:
    class Walker;
    Walker walkerBefore(const Span &line, BytePosition position) const;
    Walker walkerBeforeX(const Span &line, XUnits x) const;

    const FileText &m_text;
    const CharacterIndex &m_characters;
    CharacterReader m_reader;
};
