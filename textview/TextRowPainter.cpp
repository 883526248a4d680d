#include "TextRowPainter.h"

#include "Cp932.h"
#include "TextFont.h"

#include <QPainter>
#include <QPalette>

TextRowPainter::TextRowPainter(QPainter &painter, TextFont &font, const QPalette &palette, qint64 left, int width)
    : m_painter(painter)
    , m_font(font)
    , m_palette(palette)
    , m_left(left)
    , m_width(width)
    , m_glyphs(font.glyphs())
{
}

void TextRowPainter::setSelection(qint64 start, qint64 end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
}

void TextRowPainter::paintLines(const TextNavigator &text, const LineLayout &layout, qint64 firstLine, int top, int bottom, qint64 caret)
{
    m_bytes = text.data();
    const int lineHeight = m_font.lineHeight();
    const Units from = m_left * TextMetrics::UnitsPerPixel;
    const Units to = (m_left + m_width) * TextMetrics::UnitsPerPixel;
    const auto spans = text.lines(firstLine, (bottom - top) / lineHeight + 1);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const LineIndex::Span &line = spans[i];
        const auto placed = layout.characters(line, from, to);
        const bool endInView = placed.empty() || placed.back().position + placed.back().length == line.end;
        std::optional<Units> breakX;
        if (firstLine + qint64(i) + 1 < text.lineCount() && endInView)
            breakX = placed.empty() ? layout.xOf(line, line.end) : placed.back().x + placed.back().advance;
        const int rowTop = top + int(i) * lineHeight;
        paintRow(rowTop, placed, line.end, breakX);
        if (caret >= line.start && caret <= line.end)
            paintCaret(rowTop, layout.xOf(line, caret));
    }
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
