#pragma once

#include "TextEncoding.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// What to look for in a text's bytes: a sequence of bytes, each either a
// value or any byte at all.
struct FindPattern
{
    // The longest pattern taken: a longer one is refused with a message.
    static constexpr std::size_t MaxLength = 65536;

    std::vector<std::uint8_t> bytes;
    std::vector<bool> any; // the byte at this place matches any byte (`??`)
    // A match must start a character (typed text); otherwise it may start
    // at any byte (hex).
    bool startsCharacter = false;

    std::size_t size() const { return bytes.size(); }
    bool matches(const std::uint8_t *at) const
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (!any[i] && at[i] != bytes[i])
                return false;
        return true;
    }
};

// A pattern read from what the user typed, or why there is none: error is
// a message in Japanese for the user, empty when the pattern is good.
struct FindPatternParse
{
    FindPattern pattern;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Hex bytes as typed: pairs of hex digits in either case ("83 41",
// "8341", "83 4a"), `??` for any one byte; spaces and tabs between bytes
// are ignored, never within one. Empty input, an odd count of digits or a
// character that is no hex digit is refused.
FindPatternParse parseHexPattern(QStringView typed);

// Typed or pasted text as its bytes in the text's encoding (CharacterEncoder
// tells which form a character takes). A character the encoding has no form
// for (one beyond code page 932 or EUC-JP, a lone surrogate) is refused
// with a message that names it. A line break (CR or LF) is refused too:
// lines end differently from file to file, so a break is looked for as hex,
// and the message gives the encoding's bytes for it (0D 0A, 0A; in UTF-16LE
// 0D 00 0A 00, 0A 00).
FindPatternParse encodeTextPattern(QStringView typed, TextEncoding encoding = TextEncoding::Cp932);
