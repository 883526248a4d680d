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

protected:
    bool alwaysStarts(quint8) const override { return false; } // characterStart() does not walk

private:
    char16_t unitAt(const char *data) const;

    ByteOrder m_order;
};
