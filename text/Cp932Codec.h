#pragma once

#include "TextCodec.h"

// Code page 932 through the TextCodec interface: Cp932's split and tables.
// Every byte the code page does not define, and every pair it does not
// define, is one U+FFFD (Cp932::characterLength's split).
class Cp932Codec final : public TextCodec
{
public:
    TextEncoding encoding() const override { return TextEncoding::Cp932; }
    QString name() const override { return QStringLiteral("Shift-JIS (CP932)"); }
    DecodedCharacter characterAt(const char *data, qsizetype n) const override;

protected:
    // 00-3F, 7F and FD-FF are no trail byte.
    bool alwaysStarts(quint8 b) const override { return b < 0x40 || b == 0x7F || b >= 0xFD; }
};
