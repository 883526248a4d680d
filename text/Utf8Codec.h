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

protected:
    bool alwaysStarts(quint8 b) const override { return !isContinuation(b); }
};
