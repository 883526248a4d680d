#include "TextFont.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QtMath>

namespace {

constexpr int TabStopCharacters = 8;
constexpr char16_t ZeroWidthSpace = 0x200B;

} // namespace

TextFont::TextFont(const QFont &font)
    : m_glyphs(std::make_shared<GlyphCache>(font))
{
    const QFontMetricsF metrics(font);
    m_lineHeight = std::max(1, qCeil(metrics.height()));
    m_ascent = qCeil(metrics.ascent());
    // In whole 1/64 pixels, as the layout keeps it.
    m_tabStop = toPixelsF(nearestUnits(TabStopCharacters * metrics.averageCharWidth()));
    if (m_tabStop <= 0)
        m_tabStop = 80;
}

std::shared_ptr<const TextMetrics> TextFont::metrics() const
{
    if (!m_metrics) {
        std::shared_ptr<GlyphCache> glyphs = m_glyphs; // the text may outlive this font
        m_metrics = std::make_shared<const TextMetrics>([glyphs](char32_t c) { return glyphs->glyph(c).advance; },
                                                        nearestUnits(m_tabStop), measureKerning());
    }
    return m_metrics;
}

// Each printable ASCII character laid out before every other one, pairs
// kept apart by zero-width spaces: where the second of a pair stands, less
// the first's advance, is their kerning.
TextMetrics::Kerning TextFont::measureKerning() const
{
    constexpr int Side = TextMetrics::KerningSide;
    TextMetrics::Kerning kerning(std::size_t(Side * Side));
    bool any = false;
    for (int first = 0; first < Side; ++first) {
        QString pairs;
        for (int second = 0; second < Side; ++second) {
            pairs.append(QChar(0x20 + first));
            pairs.append(QChar(0x20 + second));
            pairs.append(QChar(ZeroWidthSpace));
        }
        QTextLayout layout(pairs, font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const qint32 advance = m_glyphs->glyph(char16_t(0x20 + first)).advance;
        for (int second = 0; second < Side; ++second) {
            const int at = 3 * second;
            const qint32 distance = qint32(nearestUnits(line.cursorToX(at + 1) - line.cursorToX(at)).value());
            const qint16 k = qint16(distance - advance);
            kerning[std::size_t(first * Side + second)] = k;
            any = any || k != 0;
        }
    }
    return any ? kerning : TextMetrics::Kerning();
}
