#pragma once

#include "Cp932.h"
#include "TextCodec.h"
#include "TextMetrics.h"

#include <QtGlobal>

// Reads the characters of a text in its encoding for layout and display:
// each character's length, what it shows and where the next one stands.
// Code page 932 goes by its byte tables (TextMetrics::step); the other
// encodings by their codec and the advances of code points.
class CharacterReader
{
public:
    static constexpr char32_t NoCharacter = 0x110000; // past a line's end

    CharacterReader(TextEncoding encoding, const TextMetrics &metrics)
        : m_codec(textCodec(encoding))
        , m_metrics(metrics)
        , m_cp932(encoding == TextEncoding::Cp932)
    {
    }

    TextEncoding encoding() const { return m_codec.encoding(); }
    const TextCodec &codec() const { return m_codec; }
    const TextMetrics &metrics() const { return m_metrics; }

    // The character at data[0], n > 0 bytes up to the line's end, taken
    // from x: its length and the x of the next character.
    TextMetrics::Step step(XUnits x, const unsigned char *data, qint64 n) const
    {
        if (m_cp932)
            return m_metrics.step(x, data[0], n > 1 ? data[1] : -1);
        const DecodedCharacter c = m_codec.characterAt(reinterpret_cast<const char *>(data), qsizetype(n));
        return {int(c.length), m_metrics.stepCodePoint(x, c.codePoint, nextCodePoint(c, data, n))};
    }

    // What the character at data[0] shows: U+FFFD where it is invalid.
    char32_t codePoint(const unsigned char *data, qint64 n) const
    {
        if (m_cp932) {
            const Cp932 &cp932 = Cp932::instance();
            return n > 1 && Cp932::isLeadByte(data[0]) && Cp932::isTrailByte(data[1]) ? cp932.doubleByte(data[0], data[1]) : cp932.singleByte(data[0]);
        }
        return m_codec.characterAt(reinterpret_cast<const char *>(data), qsizetype(n)).codePoint;
    }

private:
    // The next code point, for kerning; only ASCII is kerned.
    char32_t nextCodePoint(const DecodedCharacter &c, const unsigned char *data, qint64 n) const
    {
        if (!m_metrics.hasKerning() || c.codePoint >= 0x7F || c.length >= n)
            return NoCharacter;
        return m_codec.characterAt(reinterpret_cast<const char *>(data + c.length), qsizetype(n - c.length)).codePoint;
    }

    const TextCodec &m_codec;
    const TextMetrics &m_metrics;
    bool m_cp932;
};
