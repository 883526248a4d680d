#pragma once

#include "TextCodec.h"

// UTF-8 as Unicode defines it: no overlong forms, no surrogates, nothing
// past U+10FFFF. Each maximal ill-formed subpart (a lead byte and the
// continuation bytes that can still follow it, or one stray byte) is one
// U+FFFD, as Unicode's "best practice" for U+FFFD substitution says.
class Utf8Codec final : public TextCodec
{
public:
    TextEncoding encoding() const override { return TextEncoding::Utf8; }
    QString name() const override { return QStringLiteral("UTF-8"); }
    DecodedCharacter characterAt(const char *data, qsizetype n) const override;
    // Looks back at most 3 bytes: only continuation bytes continue.
    qsizetype characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart = 0) const override;

    static constexpr bool isContinuation(quint8 b) { return (b & 0xC0) == 0x80; }
    // characterAt(), inline for the scan.
    static DecodedCharacter read(const char *data, qsizetype n)
    {
        const auto b = quint8(data[0]);
        if (b < 0x80)
            return {1, b, true};
        if ((b & 0xF0) == 0xE0 && n >= 3) { // the common case of Japanese text, without the loop
            const auto c1 = quint8(data[1]), c2 = quint8(data[2]);
            const char32_t code = char32_t(b & 0x0F) << 12 | char32_t(c1 & 0x3F) << 6 | char32_t(c2 & 0x3F);
            if (isContinuation(c1) && isContinuation(c2) && code >= 0x800 && (code < 0xD800 || code > 0xDFFF))
                return {3, code, true};
        }
        const Lead lead = leadOf(b);
        if (lead.following == 0)
            return {};
        char32_t code = lead.bits;
        qsizetype length = 1;
        for (int i = 0; i < lead.following; ++i, ++length) {
            if (length >= n)
                return {length, Replacement, false};
            const auto c = quint8(data[length]);
            const bool inRange = i == 0 ? c >= lead.low && c <= lead.high : isContinuation(c);
            if (!inRange)
                return {length, Replacement, false};
            code = code << 6 | (c & 0x3F);
        }
        return {length, code, true};
    }

protected:
    bool alwaysStarts(quint8 b) const override { return !isContinuation(b); }

private:
    // A lead byte's sequence: how many bytes follow it, the range of the first
    // of them (which rules out overlongs, surrogates and > U+10FFFF) and the
    // bits the lead contributes.
    struct Lead
    {
        int following;
        quint8 low;
        quint8 high;
        char32_t bits;
    };

    static Lead leadOf(quint8 b)
    {
        if (b >= 0xC2 && b <= 0xDF)
            return {1, 0x80, 0xBF, char32_t(b & 0x1F)};
        if (b >= 0xE0 && b <= 0xEF) {
            const quint8 low = b == 0xE0 ? 0xA0 : 0x80;
            const quint8 high = b == 0xED ? 0x9F : 0xBF;
            return {2, low, high, char32_t(b & 0x0F)};
        }
        if (b >= 0xF0 && b <= 0xF4) {
            const quint8 low = b == 0xF0 ? 0x90 : 0x80;
            const quint8 high = b == 0xF4 ? 0x8F : 0xBF;
            return {3, low, high, char32_t(b & 0x07)};
        }
        return {0, 0, 0, 0}; // 80-C1 and F5-FF start nothing
    }
};
