#include "CellFont.h"

#include <QFontMetricsF>
#include <QtMath>

CellFont::CellFont(const QFont &font)
    : m_font(font)
{
    const QFontMetricsF metrics(font);
    qreal advances = 0;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        advances += metrics.horizontalAdvance(QChar(c));
    m_cellWidth = std::max(1, qCeil(advances / (0x7F - 0x20)));
    m_lineHeight = std::max(1, qCeil(metrics.lineSpacing()));
    m_ascent = qCeil(metrics.ascent());
    m_rawFonts = {QRawFont::fromFont(font), QRawFont::fromFont(font, QFontDatabase::Japanese)};
}

char16_t CellFont::shown(char16_t character)
{
    if (character == u'\t')
        return u' ';
    return isControl(character) ? char16_t(0xB7) : character;
}

const CellFont::Glyph &CellFont::glyph(char16_t character) const
{
    auto found = m_glyphs.constFind(character);
    if (found == m_glyphs.constEnd())
        found = m_glyphs.insert(character, lookUp(character));
    return *found;
}

CellFont::Glyph CellFont::lookUp(char16_t character) const
{
    const QString text{QChar(character)};
    for (std::size_t font = 0; font < m_rawFonts.size(); ++font) {
        const QRawFont &raw = m_rawFonts[font];
        if (!raw.isValid() || !raw.supportsCharacter(QChar(character)))
            continue;
        const QList<quint32> indexes = raw.glyphIndexesForString(text);
        if (indexes.size() != 1 || indexes.front() == 0)
            continue;
        return {int(font), indexes.front(), raw.advancesForGlyphIndexes(indexes).front().x()};
    }
    return {-1, 0, QFontMetricsF(m_font).horizontalAdvance(text)};
}
