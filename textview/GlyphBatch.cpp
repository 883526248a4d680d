#include "GlyphBatch.h"

#include "GlyphCache.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPalette>

namespace {

QColor colorOf(GlyphBatch::Ink ink, const QPalette &palette)
{
    switch (ink) {
    case GlyphBatch::SelectedText:
        return palette.color(QPalette::HighlightedText);
    case GlyphBatch::Placeholder:
        return palette.color(QPalette::PlaceholderText);
    case GlyphBatch::Text:
        break;
    }
    return palette.color(QPalette::Text);
}

} // namespace

GlyphBatch::GlyphBatch(GlyphCache &glyphs)
    : m_glyphs(glyphs)
{
}

void GlyphBatch::add(qreal x, qreal y, char32_t character, Ink ink)
{
    if (GlyphCache::isControl(character) && character != u'\t' && ink == Text)
        ink = Placeholder;
    const GlyphCache::Glyph &glyph = m_glyphs.glyph(character);
    if (glyph.font < 0)
        return;
    Run &run = m_runs[{glyph.font, ink}];
    run.indexes.append(glyph.index);
    run.positions.append(QPointF(x, y));
}

void GlyphBatch::draw(QPainter &painter, const QPalette &palette) const
{
    for (const auto &[key, run] : m_runs) {
        QGlyphRun glyphs;
        glyphs.setRawFont(m_glyphs.rawFont(key.first));
        glyphs.setGlyphIndexes(run.indexes);
        glyphs.setPositions(run.positions);
        painter.setPen(colorOf(key.second, palette));
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
}
