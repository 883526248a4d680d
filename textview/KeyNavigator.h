#pragma once

#include "LineLayout.h"
#include "TextCursor.h"
#include "TextNavigator.h"

#include <optional>

class QKeyEvent;

// Where the keys of a read-only text box move the caret: a character on
// or back (a CR LF one step, a selection collapsing to its side), a line
// up or down at the x kept in the cursor, a page, the start and end of a
// line and of the text. Shift keeps the anchor. Ctrl+A and Ctrl+C are not
// moves; neither is typing.
class KeyNavigator
{
public:
    enum class Move { NextChar, PreviousChar, NextLine, PreviousLine, StartOfLine, EndOfLine, StartOfText, EndOfText, NextPage, PreviousPage };
    struct KeyMove
    {
        Move move;
        bool select;
    };

    // The move a key press asks for, if any.
    static std::optional<KeyMove> moveFor(const QKeyEvent &event);

    KeyNavigator(const TextNavigator &text, const LineLayout &layout, qint64 pageRows);

    // The position `move` leads to from `cursor`; sets or drops the x that
    // vertical moves keep.
    BytePosition target(const KeyMove &move, TextCursor &cursor) const;

private:
    static bool isVertical(Move move);
    BytePosition positionOnLine(LineNumber line, XUnits x) const;

    const TextNavigator &m_text;
    const LineLayout &m_layout;
    qint64 m_pageRows;
};
