#include "ViewGeometry.h"

#include "ShownText.h"
#include "TextFont.h"
#include "ViewScroller.h"

#include <cmath>

ViewGeometry::ViewGeometry(const ShownText &text, const TextFont &font, const ViewScroller &scroller)
    : m_text(text)
    , m_font(font)
    , m_scroller(scroller)
{
}

Pixels ViewGeometry::textLeft() const
{
    return m_scroller.firstX() - Pixels(Margin);
}

BytePosition ViewGeometry::positionAt(const QPoint &point) const
{
    const TextNavigator text = m_text.navigator();
    const qint64 row = qint64(std::floor(qreal(point.y() - Margin) / m_font.lineHeight()));
    const LineNumber line = std::clamp(m_scroller.firstLine() + row, LineNumber(0), text.lineCount() - 1);
    return m_text.layout().positionAt(text.lines(line, 1).front(), toUnits(textLeft() + Pixels(point.x())));
}

QRect ViewGeometry::positionRect(BytePosition position) const
{
    const TextNavigator text = m_text.navigator();
    const LineLayout lines = m_text.layout();
    const LineNumber line = text.lineOf(position);
    const LineIndex::Span span = text.lines(line, 1).front();
    const LineLayout::Placed placed = lines.characterAt(span, lines.xOf(span, position));
    const XUnits advance = placed.length > 0 ? placed.advance : XUnits(m_font.glyphs().glyph(u' ').advance);
    const int left = int((floorPixels(placed.x) - textLeft()).value());
    const int right = int((ceilPixels(placed.x + advance) - textLeft()).value());
    const int top = Margin + int(line - m_scroller.firstLine()) * m_font.lineHeight();
    return QRect(left, top, std::max(1, right - left), m_font.lineHeight());
}
