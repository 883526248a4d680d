#pragma once

#include "TextUnits.h"

#include <QPoint>
#include <QRect>

class ShownText;
class TextFont;
class ViewScroller;

// Where the characters of a text view stand on screen, and which position
// is at a point: the text's layout (LineLayout) placed by the view's
// scrolling, with a text box's margin of Margin pixels before the first
// line and the first column.
class ViewGeometry
{
public:
    static constexpr int Margin = 4;

    ViewGeometry(const ShownText &text, const TextFont &font, const ViewScroller &scroller);

    // Pixels of the text (x = 0 at its lines' starts) left of the viewport.
    Pixels textLeft() const;
    // The position nearest to a point; rows above or below the text give
    // its first or last line.
    BytePosition positionAt(const QPoint &point) const;
    // The box of the character at `position`, a space's width at a line's end.
    QRect positionRect(BytePosition position) const;

private:
    const ShownText &m_text;
    const TextFont &m_font;
    const ViewScroller &m_scroller;
};
