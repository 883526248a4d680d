#pragma once

#include "TextEncoding.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <vector>

// A character's bytes in one encoding, for text the user types: the form
// the encoding's codec (textCodec) reads back as that character.
//
// Code page 932: where several forms read as one character, the one a
// converter to the code page writes (NEC row 13 before IBM's, IBM's before
// NEC-selected IBM); the characters JIS's Shift_JIS maps otherwise (〜
// U+301C, ¬ U+00AC) take their code page form too. EUC-JP: ASCII, the C1
// controls, half-width katakana (8E xx), JIS X 0208, then JIS X 0212 (8F xx
// xx), as the codec reads them; the signs code page 932 maps otherwise (∥
// － ￠ ￡ ￢) take their JIS X 0208 form where EUC-JP has no other (its
// ～ U+FF5E is JIS X 0212's). Nothing else has a form (NEC row 13, IBM's
// extensions, characters past 16 bits): EUC-JP has no vendor rows.
// UTF-8 and UTF-16: every character but a lone surrogate.
class CharacterEncoder
{
public:
    static const CharacterEncoder &of(TextEncoding encoding);

    // Appends the form of c to `out`; false (and nothing appended) when the
    // encoding has none.
    bool append(char32_t c, std::vector<std::uint8_t> &out) const;

private:
    explicit CharacterEncoder(TextEncoding encoding);

    TextEncoding m_encoding;
    QHash<char16_t, QByteArray> m_forms; // code page 932 and EUC-JP
};
