#include "TextMetrics.h"

#include "Cp932.h"

#include <algorithm>

TextMetrics::TextMetrics(Measure measure, XUnits tabStopDistance, Kerning kerning)
    : m_measure(std::move(measure))
    , m_tabStop(std::max(tabStopDistance, XUnits(1)))
    , m_kerning(std::move(kerning))
    , m_double(std::size_t(LeadCount + 1) * 256, 0)
{
    int row = 0;
    for (int b = 0; b < 256; ++b)
        m_rowOf[std::size_t(b)] = 256 * (Cp932::isLeadByte(std::uint8_t(b)) ? row++ : LeadCount);
    for (int lead = 0; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            if (Cp932::isLeadByte(std::uint8_t(lead)) && Cp932::isTrailByte(std::uint8_t(trail)))
                m_double[std::size_t(m_rowOf[std::size_t(lead)] + trail)] = -1;
    if (!m_kerning.empty() && m_kerning.size() != std::size_t(KerningSide * KerningSide))
        m_kerning.clear();
    const Cp932 &codePage = Cp932::instance();
    for (int b = 0; b < 256; ++b)
        m_single[std::size_t(b)] = b == '\r' || b == '\n' || b == '\t' ? 0 : std::max(m_measure(codePage.singleByte(std::uint8_t(b))), 0);
}

std::shared_ptr<const TextMetrics> TextMetrics::uniform(qint32 advance, XUnits tabStop)
{
    return std::make_shared<const TextMetrics>([advance](char32_t) { return advance; }, tabStop);
}

qint32 TextMetrics::measureDouble(std::uint8_t lead, std::uint8_t trail) const
{
    const qint32 advance = std::max(m_measure(Cp932::instance().doubleByte(lead, trail)), 0);
    m_double[std::size_t(m_rowOf[lead] + trail)] = advance;
    return advance;
}

void TextMetrics::measureLead(std::uint8_t lead) const
{
    if (!Cp932::isLeadByte(lead))
        return;
    for (int trail = 0x40; trail <= 0xFC; ++trail)
        if (Cp932::isTrailByte(std::uint8_t(trail)))
            doubleByte(lead, std::uint8_t(trail));
}

qint32 TextMetrics::measureCodePoint(char32_t c) const
{
    const qint32 advance = std::max(m_measure(c), 0);
    if (c >= 0x10000 || (c >= 0xD800 && c <= 0xDFFF))
        return advance; // rare enough to measure each time; surrogates stay -1 in the table
    codePointTable()[c] = advance;
    return advance;
}

const qint32 *TextMetrics::basicPlaneTable() const
{
    return codePointTable().data();
}

// ASCII's advances are the single bytes', a byte-order mark has none.
std::vector<qint32> &TextMetrics::codePointTable() const
{
    if (!m_codePoints) {
        m_codePoints = std::make_unique<std::vector<qint32>>(0x10000, -1);
        std::copy(m_single.begin(), m_single.begin() + 0x80, m_codePoints->begin());
        (*m_codePoints)[0xFEFF] = 0;
    }
    return *m_codePoints;
}
