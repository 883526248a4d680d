#pragma once

#include "TextMetrics.h"

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
    qint64 anchor() const { return m_anchor; }
    qint64 position() const { return m_position; }
    qint64 selectionStart() const { return std::min(m_anchor, m_position); }
    qint64 selectionEnd() const { return std::max(m_anchor, m_position); }
    bool hasSelection() const { return m_anchor != m_position; }

    // Whether anything changed.
    bool select(qint64 anchor, qint64 position)
    {
        const bool changed = anchor != m_anchor || position != m_position;
        m_anchor = anchor;
        m_position = position;
        return changed;
    }
    bool moveTo(qint64 position, bool keepAnchor) { return select(keepAnchor ? m_anchor : position, position); }

    // Kept while the caret goes up and down, dropped by any other move.
    std::optional<TextMetrics::Units> preferredX;

private:
    qint64 m_anchor = 0;
    qint64 m_position = 0;
};
