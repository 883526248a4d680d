#pragma once

#include "TextUnits.h"

#include <QtGlobal>
#include <algorithm>
#include <optional>

// The caret and the selection of a text view: the anchor, where a
// selection began, and the position, where the caret is, both positions of
// its text (see TextNavigator); and the x that up and down moves keep,
// as a text box keeps its column.
class TextCursor
{
public:
    BytePosition anchor() const { return m_anchor; }
    BytePosition position() const { return m_position; }
    BytePosition selectionStart() const { return std::min(m_anchor, m_position); }
    BytePosition selectionEnd() const { return std::max(m_anchor, m_position); }
    bool hasSelection() const { return m_anchor != m_position; }

    // Whether anything changed.
    bool select(BytePosition anchor, BytePosition position)
    {
        const bool changed = anchor != m_anchor || position != m_position;
        m_anchor = anchor;
        m_position = position;
        return changed;
    }
    bool moveTo(BytePosition position, bool keepAnchor) { return select(keepAnchor ? m_anchor : position, position); }

    // Kept while the caret goes up and down, dropped by any other move.
    std::optional<XUnits> preferredX;

private:
    BytePosition m_anchor;
    BytePosition m_position;
};
