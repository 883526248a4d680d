#include "TextRowPainter.h"

#include "Cp932.h"
#include "TextFont.h"

#include <QPainter>
#include <QPalette>

TextRowPainter::TextRowPainter(QPainter &painter, TextFont &font, const QPalette &palette, const char *bytes, qint64 left)
    : m_painter(painter)
    , m_font(font)
    , m_palette(palette)
    , m_bytes(bytes)
    , m_left(left)
    , m_glyphs(font.glyphs())
{
}

void TextRowPainter::setSelection(qint64 start, qint64 end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
}

qreal TextRowPainter::viewX(Units x) const
{
    return qreal(x) / TextMetrics::UnitsPerPixel - qreal(m_left);
}

char16_t TextRowPainter::characterOf(const LineLayout::Placed &placed) const
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(m_bytes + placed.position);
    const Cp932 &codePage = Cp932::instance();
    return placed.length == 2 ? codePage.doubleByte(bytes[0], bytes[1]) : codePage.singleByte(bytes[0]);
}

void TextRowPainter::paintRow(int top, const std::vector<LineLayout::Placed> &characters, qint64 lineEnd, std::optional<Units> breakX)
{
    const int height = m_font.lineHeight();
    const qreal baseline = top + m_font.ascent();
    const QBrush &highlight = m_palette.brush(QPalette::Highlight);
    for (const LineLayout::Placed &placed : characters) {
        const bool selected = isSelected(placed.position);
        if (selected)
            m_painter.fillRect(QRectF(viewX(placed.x), top, qreal(placed.advance) / TextMetrics::UnitsPerPixel, height), highlight);
        m_glyphs.add(viewX(placed.x), baseline, characterOf(placed), selected ? GlyphBatch::SelectedText : GlyphBatch::Text);
    }
    if (breakX && isSelected(lineEnd)) {
        const qreal space = qreal(m_font.glyphs().glyph(u' ').advance) / TextMetrics::UnitsPerPixel;
        m_painter.fillRect(QRectF(viewX(*breakX), top, space, height), highlight);
    }
}

void TextRowPainter::paintCaret(int top, Units x)
{
    const qreal at = viewX(x);
    if (at >= -1)
        m_caret = QRectF(qRound(at), top, 1, m_font.lineHeight());
}

void TextRowPainter::finish()
{
    m_glyphs.draw(m_painter, m_palette);
    if (m_caret)
        m_painter.fillRect(*m_caret, m_palette.color(QPalette::Text));
}
