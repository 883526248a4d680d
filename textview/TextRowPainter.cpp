#include "TextRowPainter.h"

#include "TextCodec.h"
#include "TextFont.h"

#include <QPainter>
#include <QPalette>

TextRowPainter::TextRowPainter(QPainter &painter, TextFont &font, const QPalette &palette, Pixels left, int width)
    : m_painter(painter)
    , m_font(font)
    , m_palette(palette)
    , m_left(left)
    , m_width(width)
    , m_glyphs(font.glyphs())
{
}

void TextRowPainter::setSelection(BytePosition start, BytePosition end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
}

void TextRowPainter::paintLines(const TextNavigator &text, const LineLayout &layout, LineNumber firstLine, int top, int bottom, std::optional<BytePosition> caret)
{
    m_bytes = text.data();
    m_reader = &layout.reader();
    const int lineHeight = m_font.lineHeight();
    const XUnits from = toUnits(m_left);
    const XUnits to = toUnits(m_left + Pixels(m_width));
    const auto spans = text.lines(firstLine, (bottom - top) / lineHeight + 1);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const LineIndex::Span &line = spans[i];
        const auto placed = layout.characters(line, from, to);
        const bool endInView = placed.empty() || placed.back().position + placed.back().length == line.end;
        std::optional<XUnits> breakX;
        if (firstLine + qint64(i) + 1 < text.lineCount() && endInView)
            breakX = placed.empty() ? layout.xOf(line, line.end) : placed.back().x + placed.back().advance;
        const int rowTop = top + int(i) * lineHeight;
        paintRow(rowTop, placed, line.end, breakX);
        if (caret && *caret >= line.start && *caret <= line.end)
            paintCaret(rowTop, layout.xOf(line, *caret));
    }
}

qreal TextRowPainter::viewX(XUnits x) const
{
    return toPixelsF(x) - qreal(m_left.value());
}

char32_t TextRowPainter::characterOf(const LineLayout::Placed &placed) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_bytes + placed.position.value());
    return m_reader->codePoint(bytes, placed.length);
}

void TextRowPainter::paintRow(int top, const std::vector<LineLayout::Placed> &characters, BytePosition lineEnd, std::optional<XUnits> breakX)
{
    const int height = m_font.lineHeight();
    const qreal baseline = top + m_font.ascent();
    const QBrush &highlight = m_palette.brush(QPalette::Highlight);
    for (const LineLayout::Placed &placed : characters) {
        const char32_t character = characterOf(placed);
        if (character == TextCodec::ByteOrderMark)
            continue; // shown as nothing
        const bool selected = isSelected(placed.position);
        if (selected)
            m_painter.fillRect(QRectF(viewX(placed.x), top, toPixelsF(placed.advance), height), highlight);
        m_glyphs.add(viewX(placed.x), baseline, character, selected ? GlyphBatch::SelectedText : GlyphBatch::Text);
    }
    if (breakX && isSelected(lineEnd)) {
        const qreal space = toPixelsF(XUnits(m_font.glyphs().glyph(u' ').advance));
        m_painter.fillRect(QRectF(viewX(*breakX), top, space, height), highlight);
    }
}

void TextRowPainter::paintCaret(int top, XUnits x)
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
