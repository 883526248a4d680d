#include "ViewGeometry.h"

#include "ShownText.h"
#include "TextFont.h"
#include "ViewScroller.h"

#include <cmath>

namespace {

constexpr qint64 Unit = TextMetrics::UnitsPerPixel;

} // namespace

ViewGeometry::ViewGeometry(const ShownText &text, const TextFont &font, const ViewScroller &scroller)
    : m_text(text)
    , m_font(font)
    , m_scroller(scroller)
{
}

qint64 ViewGeometry::textLeft() const
{
    return m_scroller.firstX() - Margin;
}

qint64 ViewGeometry::positionAt(const QPoint &point) const
{
    const TextNavigator text = m_text.navigator();
    const qint64 row = qint64(std::floor(qreal(point.y() - Margin) / m_font.lineHeight()));
    const qint64 line = std::clamp<qint64>(m_scroller.firstLine() + row, 0, text.lineCount() - 1);
    return m_text.layout().positionAt(text.lines(line, 1).front(), (textLeft() + point.x()) * Unit);
}

QRect ViewGeometry::positionRect(qint64 position) const
{
    const TextNavigator text = m_text.navigator();
    const LineLayout lines = m_text.layout();
    const qint64 line = text.lineOf(position);
    const LineIndex::Span span = text.lines(line, 1).front();
    const LineLayout::Placed placed = lines.characterAt(span, lines.xOf(span, position));
    const qint64 advance = placed.length > 0 ? placed.advance : m_font.glyphs().glyph(u' ').advance;
    const int left = int(std::floor(qreal(placed.x) / Unit) - qreal(textLeft()));
    const int right = int(std::ceil(qreal(placed.x + advance) / Unit) - qreal(textLeft()));
    const int top = Margin + int(line - m_scroller.firstLine()) * m_font.lineHeight();
    return QRect(left, top, std::max(1, right - left), m_font.lineHeight());
}
