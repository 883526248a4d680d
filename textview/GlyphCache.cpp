#include "GlyphCache.h"

#include "TextUnits.h"

#include <QTextLayout>
#include <QtMath>

namespace {

constexpr char16_t MiddleDot = 0xB7;

// Advances are kept as plain 1/64 pixels: the metrics' tables are of them.
qint32 advanceOf(qreal pixels)
{
    return qint32(nearestUnits(pixels).value());
}

} // namespace

GlyphCache::GlyphCache(const QFont &font)
    : m_font(font)
    , m_rawFonts{QRawFont::fromFont(font)}
{
}

char32_t GlyphCache::shown(char32_t character)
{
    if (character == u'\t')
        return u' ';
    return isControl(character) ? MiddleDot : character;
}

const GlyphCache::Glyph &GlyphCache::glyph(char32_t character)
{
    auto found = m_glyphs.constFind(character);
    if (found == m_glyphs.constEnd())
        found = m_glyphs.insert(character, lookUp(shown(character)));
    return *found;
}

// The font's own glyph when it has one: that is the layout's first choice.
GlyphCache::Glyph GlyphCache::lookUp(char32_t character)
{
    const QRawFont &raw = m_rawFonts.front();
    const QList<quint32> indexes = raw.isValid() ? raw.glyphIndexesForString(QStringView(QChar::fromUcs4(character)).toString()) : QList<quint32>();
    if (indexes.size() != 1 || indexes.front() == 0)
        return fromLayout(character);
    const qint32 advance = advanceOf(raw.advancesForGlyphIndexes(indexes).front().x());
    return {character == u' ' ? -1 : 0, indexes.front(), advance};
}

// What Qt's layout draws for the character alone, a missing glyph's box
// included.
GlyphCache::Glyph GlyphCache::fromLayout(char32_t character)
{
    QTextLayout layout(QStringView(QChar::fromUcs4(character)).toString(), m_font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const qint32 advance = advanceOf(line.naturalTextWidth());
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.isEmpty() || runs.front().glyphIndexes().isEmpty())
        return {-1, 0, advance};
    return {fontIndex(runs.front().rawFont()), runs.front().glyphIndexes().front(), advance};
}

int GlyphCache::fontIndex(const QRawFont &raw)
{
    for (std::size_t i = 0; i < m_rawFonts.size(); ++i)
        if (m_rawFonts[i] == raw)
            return int(i);
    m_rawFonts.push_back(raw);
    return int(m_rawFonts.size()) - 1;
}
