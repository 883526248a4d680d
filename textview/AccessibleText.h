#pragma once

#include "TextBoundaries.h"
#include "TextNavigator.h"

#include <QString>
#include <limits>

// A FileText as a screen reader reads it: plain text, every line break one
// LF as a text box gives it, its characters counted by an int character
// offset.
//
// The whole text, however long, when its characters fit in an int. A text
// with more characters than that is given as a window of Window characters
// around the cursor, which moves in steps of half a window as the cursor
// goes, so the cursor is never near its edge; character offsets count from
// the window's start. U+0000, which the accessibility bus cannot carry, is given
// as U+2400 (the symbol for null), one character for one, so character
// offsets stay.
// A range is decoded at most RangeLimit bytes of it, from its start: a
// screen reader asks for a line, a word or a sentence at a time, and a
// request for more is answered with its beginning rather than a stall
// and gigabytes of memory.
// A character, word, sentence or line at an offset is found in the Reach
// characters either side of it, decoded at most 16 KiB: an item longer than
// that (a line of megabytes, a word of a million digits) is cut where that
// stretch ends, and an answer never waits on the rest of the text.
class AccessibleText
{
public:
    static constexpr qint64 Window = qint64(1) << 30;
    static constexpr qint64 RangeLimit = qint64(1) << 20;
    static constexpr int Reach = 4096;

    struct Item
    {
        int start = -1; // -1 -1 and no text: none
        int end = -1;
        QString text;
    };

    // `cursor` places the window; the whole text needs none.
    AccessibleText(const TextNavigator &text, BytePosition cursor);

    int characterCount() const { return int(m_count); }
    // The character offset of a position, cut to the window.
    int characterOffsetOf(BytePosition position) const;
    BytePosition positionOf(int characterOffset) const;
    // The characters of [start, end), decoded only now, cut to RangeLimit
    // bytes; empty when not even that memory can be had.
    QString text(int start, int end) const;
    // The item of `type` at, before or after a character offset (-1: the
    // end) as TextBoundaries finds it. NoBoundary: the whole text at any
    // offset, its text cut as text() cuts it.
    Item item(int offset, QAccessible::TextBoundaryType type, TextBoundaries::Relation relation) const;

private:
    const TextNavigator &m_text;
    CharacterCount m_first; // characters before the window
    qint64 m_count = 0; // characters in it
};
