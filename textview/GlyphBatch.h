#pragma once

#include <QList>
#include <QPointF>
#include <map>

class GlyphCache;
class QPainter;
class QPalette;

// Characters to draw, gathered over one paint and drawn as one glyph run
// per font and colour: many times faster than drawing each character as a
// text of its own.
class GlyphBatch
{
public:
    enum Ink { Text, SelectedText, Placeholder };

    explicit GlyphBatch(GlyphCache &glyphs);

    // `character` as GlyphCache shows it, its left edge at x on the baseline
    // y; a control character other than tab in the placeholder colour.
    void add(qreal x, qreal y, char32_t character, Ink ink);
    void draw(QPainter &painter, const QPalette &palette) const;

private:
    struct Run
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
    };

    GlyphCache &m_glyphs;
    std::map<std::pair<int, Ink>, Run> m_runs;
};
