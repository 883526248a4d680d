#pragma once

#include "TextEncoding.h"

#include <QString>
#include <QtGlobal>

// One character as an encoding reads it: how many bytes it takes and what it
// is. An invalid character is U+FFFD: a maximal ill-formed subpart of the
// encoding (the longest start of a valid sequence, at least one byte).
struct DecodedCharacter
{
    qsizetype length = 1;
    char32_t codePoint = 0xFFFD;
    bool valid = false;
};

// How one encoding splits bytes into characters and decodes them, byte at a
// time: the reference that find, the info line and the scan take an encoding
// through. Every byte belongs to exactly one character, whatever the data,
// so splitting never loses or invents a byte.
//
// A byte-order mark (U+FEFF) at the very start of the text is a character of
// its own that shows as nothing: it keeps its bytes, so positions never move.
// Line breaks are CR LF, LF and CR in the encoding's own form.
class TextCodec
{
public:
    static constexpr char32_t Replacement = 0xFFFD;
    static constexpr char32_t ByteOrderMark = 0xFEFF;

    virtual ~TextCodec() = default;

    virtual TextEncoding encoding() const = 0;
    // A short name for the user: "UTF-8", "EUC-JP", ...
    virtual QString name() const = 0;

    // The character that starts at data[0]; n > 0.
    virtual DecodedCharacter characterAt(const char *data, qsizetype n) const = 0;
    qsizetype characterLength(const char *data, qsizetype n) const { return characterAt(data, n).length; }

    // Where the character that holds byte p of text[0..size) starts,
    // p < size. `knownStart` <= p is a character start the search never goes behind
    // (0, or a checkpoint of the index); text[0] is the text's first byte,
    // which fixes UTF-16's code units. UTF-8 looks back at most 3 bytes,
    // UTF-16 at most 2; code page 932 and EUC-JP look back to the nearest
    // byte that cannot end a character (or to knownStart), then forward.
    virtual qsizetype characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart = 0) const;

    // Length of the line break at data[0] (CR LF, LF or CR), 0 when none.
    qsizetype lineBreakLength(const char *data, qsizetype n) const;
    // Length of the byte-order mark data[0..n) starts with, 0 when none.
    qsizetype byteOrderMarkLength(const char *data, qsizetype n) const;

    // Decodes data[0..n), which starts on a character boundary; a
    // byte-order mark at data[0] is dropped when the data is the text's start.
    QString decode(const char *data, qsizetype n, bool atTextStart = false) const;

protected:
    // Whether byte b always starts a character: no character continues
    // with it. The default characterStart() walks back to such a byte.
    virtual bool alwaysStarts(quint8 b) const = 0;
};

// The codec of each encoding; each lives as long as the program.
const TextCodec &textCodec(TextEncoding encoding);
