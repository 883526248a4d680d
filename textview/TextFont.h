#pragma once

#include "GlyphCache.h"
#include "TextMetrics.h"

#include <QFont>
#include <memory>

// A font as the text view sets text in it: the glyphs (GlyphCache), the
// height of a line, and the metrics a text is laid out and indexed with.
//
// Tab stops are 8 average character widths apart, as in a desktop text
// box. Kerning is that of Qt's layout between printable ASCII characters;
// it is measured when the metrics are first asked for.
class TextFont
{
public:
    explicit TextFont(const QFont &font);

    const QFont &font() const { return m_glyphs->font(); }
    int lineHeight() const { return m_lineHeight; }
    int ascent() const { return m_ascent; }
    qreal tabStopDistance() const { return m_tabStop; }
    GlyphCache &glyphs() const { return *m_glyphs; }
    // The same object for as long as this font lives.
    std::shared_ptr<const TextMetrics> metrics() const;

private:
    TextMetrics::Kerning measureKerning() const;

    std::shared_ptr<GlyphCache> m_glyphs;
    int m_lineHeight;
    int m_ascent;
    qreal m_tabStop;
    mutable std::shared_ptr<const TextMetrics> m_metrics;
};
