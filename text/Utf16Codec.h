#pragma once

#include "TextCodec.h"

// UTF-16 in either byte order, code units counted from the text's first
// byte. A surrogate pair is one character of 4 bytes; a lone surrogate (a
// high one not followed by a low one, or a low one on its own) is one
// U+FFFD of 2 bytes, and an odd final byte one U+FFFD of its own.
class Utf16Codec final : public TextCodec
{
public:
    enum ByteOrder { LittleEndian, BigEndian };
    explicit Utf16Codec(ByteOrder order) : m_order(order) {}

    TextEncoding encoding() const override { return m_order == LittleEndian ? TextEncoding::Utf16Le : TextEncoding::Utf16Be; }
    QString name() const override { return m_order == LittleEndian ? QStringLiteral("UTF-16LE") : QStringLiteral("UTF-16BE"); }
    DecodedCharacter characterAt(const char *data, qsizetype n) const override;
    // Looks back at most 2 bytes: the unit before a low surrogate.
    qsizetype characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart = 0) const override;

    // characterAt(), inline for the scan.
    DecodedCharacter read(const char *data, qsizetype n) const
    {
        if (n < 2)
            return {};
        const char16_t unit = unitAt(data);
        if (isLow(unit))
            return {2, Replacement, false};
        if (!isHigh(unit))
            return {2, unit, true};
        if (n < 4 || !isLow(unitAt(data + 2)))
            return {2, Replacement, false};
        const char32_t code = 0x10000 + (char32_t(unit - 0xD800) << 10 | char32_t(unitAt(data + 2) - 0xDC00));
        return {4, code, true};
    }
    char16_t unitAt(const char *data) const
    {
        const auto first = quint8(data[0]);
        const auto second = quint8(data[1]);
        return m_order == LittleEndian ? char16_t(first | second << 8) : char16_t(first << 8 | second);
    }

protected:
    bool alwaysStarts(quint8) const override { return false; } // characterStart() does not walk

private:
    static bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
    static bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

    ByteOrder m_order;
};
