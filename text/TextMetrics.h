#pragma once

#include "Cp932.h"
#include "TextUnits.h"

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// How wide the characters of a code page 932 text are when its lines are
// laid out, in units of 1/64 pixel, the fixed point in which Qt's own text
// layout adds up advances, so that sums here equal its positions exactly.
//
// A line starts at x = 0; each character moves x by its advance, and by the
// kerning between it and the next character where both are printable ASCII
// (kerning elsewhere is left out). A tab moves x to the next tab stop
// strictly after it, at whole multiples of the tab stop distance, as Qt's
// layout places tab stops.
//
// Advances are asked of the measure function the first time a character is
// met and kept; the table is filled as texts are read, on the one thread
// that uses it. CR and LF end lines and have no advance.
class TextMetrics
{
public:
    // The advance of a character as it is shown, in units (>= 0).
    using Measure = std::function<qint32(char32_t)>;
    // Kerning of printable ASCII pairs, row = previous byte - 0x20, column =
    // next byte - 0x20; empty for none.
    using Kerning = std::vector<qint16>;
    static constexpr int KerningSide = 0x7F - 0x20;

    TextMetrics(Measure measure, XUnits tabStopDistance, Kerning kerning = {});

    // Every character `advance` units wide, tab stops every `tabStop` units.
    static std::shared_ptr<const TextMetrics> uniform(qint32 advance, XUnits tabStop);

    qint32 single(std::uint8_t byte) const { return m_single[byte]; }
    qint32 doubleByte(std::uint8_t lead, std::uint8_t trail) const
    {
        const qint32 advance = m_double[std::size_t(m_rowOf[lead] + trail)];
        return advance >= 0 ? advance : measureDouble(lead, trail);
    }

    // The tables themselves, for a scan that reads them a byte at a time:
    // doubleTable()[rowOf(lead) + trail] is the advance of a double-byte
    // character, -1 until measured (doubleByte() measures it), and 0 for a
    // pair that is no character, a non-lead byte's row included.
    const qint32 *singleTable() const { return m_single.data(); }
    const qint32 *doubleTable() const { return m_double.data(); }
    int rowOf(std::uint8_t byte) const { return m_rowOf[byte]; }
    // Measures every double-byte character of one lead byte not measured yet,
    // so that a window can fill the table while it waits for the user.
    void measureLead(std::uint8_t lead) const;

    // The advance of any character by its code point, for the encodings
    // other than code page 932; a byte-order mark (U+FEFF) has none, and
    // CR and LF end lines.
    qint32 codePointAdvance(char32_t c) const
    {
        if (c < 0x80)
            return m_single[c];
        if (c == 0xFEFF)
            return 0;
        return c < 0x10000 && m_codePoints && (*m_codePoints)[c] >= 0 ? (*m_codePoints)[c] : measureCodePoint(c);
    }
    // The advances of the code points below 0x10000, -1 until measured
    // (codePointAdvance() measures them), for a scan that reads them in a
    // loop; made on the first call. Surrogates (no characters) stay -1, so a
    // scan may look one up for what it must not take.
    const qint32 *basicPlaneTable() const;

    // The layout rule of step() for a character read by its code point,
    // `next` the code point after it (or a value above 0x10FFFF when the
    // line ends after it).
    XUnits stepCodePoint(XUnits x, char32_t c, char32_t next) const
    {
        if (c == '\t')
            return nextTabStop(x);
        const qint32 kerned = c < 0x7F && next < 0x7F ? kerning(std::uint8_t(c), std::uint8_t(next)) : 0;
        return x + XUnits(codePointAdvance(c) + kerned);
    }

    bool hasKerning() const { return !m_kerning.empty(); }
    // Between two bytes that are each a whole character.
    qint32 kerning(std::uint8_t previous, std::uint8_t next) const
    {
        if (m_kerning.empty())
            return 0;
        const bool kerned = isKerned(previous) & isKerned(next);
        return kerned ? m_kerning[kerned ? std::size_t((previous - 0x20) * KerningSide + next - 0x20) : 0] : 0;
    }
    static constexpr bool isKerned(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F; }

    XUnits tabStopDistance() const { return m_tabStop; }
    XUnits nextTabStop(XUnits x) const { return (x / m_tabStop + 1) * m_tabStop; }

    // The layout rule, the one place it is written: the character whose first
    // byte is `b`, followed by the byte `next` (-1 when the line ends after
    // b), taken from x. Its length in bytes, and the x of the next character,
    // kerning between the two included.
    struct Step
    {
        int length;
        XUnits x;
    };
    Step step(XUnits x, std::uint8_t b, int next) const
    {
        if (b == '\t')
            return {1, nextTabStop(x)};
        // No branch on the bytes' kinds, which are random in binary data. A
        // missing next byte reads as FF: no trail, not kerned.
        const auto n = std::uint8_t(next);
        const bool pair = Cp932::isLeadByte(b) & Cp932::isTrailByte(n);
        qint32 paired = m_double[std::size_t(m_rowOf[b] + n)]; // 0 unless a pair, -1 until measured
        if (paired < 0) [[unlikely]]
            paired = measureDouble(b, n);
        const qint32 alone = m_single[b] + kerning(b, n);
        return {1 + int(pair), x + XUnits(pair ? paired : alone)};
    }

private:
    qint32 measureDouble(std::uint8_t lead, std::uint8_t trail) const;
    qint32 measureCodePoint(char32_t c) const;
    std::vector<qint32> &codePointTable() const;

    static constexpr int LeadCount = 0x9F - 0x81 + 1 + 0xFC - 0xE0 + 1;

    Measure m_measure;
    XUnits m_tabStop;
    Kerning m_kerning;
    std::array<qint32, 256> m_single{};
    std::array<int, 256> m_rowOf{};       // into m_double; a byte that is no lead: the last row, all 0
    mutable std::vector<qint32> m_double; // (LeadCount + 1) x 256
    // Advances of the code points below 0x10000 met so far, -1 until
    // measured; made when the first is met.
    mutable std::unique_ptr<std::vector<qint32>> m_codePoints;
};
