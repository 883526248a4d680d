#include "CellTextBatch.h"

#include "CellFont.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPalette>

namespace {

QColor colorOf(CellTextBatch::Ink ink, const QPalette &palette)
{
    switch (ink) {
    case CellTextBatch::SelectedText:
        return palette.color(QPalette::HighlightedText);
    case CellTextBatch::Placeholder:
        return palette.color(QPalette::PlaceholderText);
    case CellTextBatch::Text:
        break;
    }
    return palette.color(QPalette::Text);
}

} // namespace

CellTextBatch::CellTextBatch(const CellFont &cells)
    : m_cells(cells)
{
}

void CellTextBatch::add(qreal x, qreal y, char16_t character, int width, Ink ink)
{
    if (CellFont::isControl(character) && character != u'\t' && ink == Text)
        ink = Placeholder;
    character = CellFont::shown(character);
    if (character == u' ')
        return;
    const CellFont::Glyph &glyph = m_cells.glyph(character);
    const qreal box = qreal(width) * m_cells.cellWidth();
    const QPointF baseline(x + std::max<qreal>(box - glyph.advance, 0) / 2, y + m_cells.ascent());
    if (glyph.font < 0 || glyph.advance > box + 0.5) {
        m_singles.push_back({baseline, glyph.advance > box ? box / glyph.advance : 1, QString(QChar(character)), ink});
        return;
    }
    Run &run = m_runs[{glyph.font, ink}];
    run.indexes.append(glyph.index);
    run.positions.append(baseline);
}

void CellTextBatch::draw(QPainter &painter, const QPalette &palette) const
{
    for (const auto &[key, run] : m_runs) {
        QGlyphRun glyphs;
        glyphs.setRawFont(m_cells.rawFont(key.first));
        glyphs.setGlyphIndexes(run.indexes);
        glyphs.setPositions(run.positions);
        painter.setPen(colorOf(key.second, palette));
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    painter.setFont(m_cells.font());
    for (const Single &single : m_singles) {
        painter.setPen(colorOf(single.ink, palette));
        painter.save();
        painter.translate(single.position);
        painter.scale(single.narrowing, 1);
        painter.drawText(QPointF(0, 0), single.text);
        painter.restore();
    }
}
