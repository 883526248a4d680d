#pragma once

#include <QtGlobal>
#include <vector>

// Where the characters of a growing code page 932 text start, known for
// every Stride-th byte, so that the character holding any byte is found by
// decoding at most Stride bytes, wherever it lies: in the middle of a line
// of gigabytes, or in a long run of bytes that can all be lead bytes.
//
// A byte that cannot be a lead byte always ends a character, so the start
// of each Stride-th byte usually follows from the few bytes before it; only
// a run of lead bytes needs the known start of the previous Stride-th byte.
// Costs one bit per Stride bytes.
//
// The characters are those of Cp932::characterLength on the whole text:
// a CR or LF byte is never part of a double-byte character, so they are also
// the characters of each line on its own.
class CharacterBoundaries
{
public:
    static constexpr qint64 Stride = 4096;

    // Takes in text[scanned() .. size), as LineIndex::extend.
    void extend(const char *text, qint64 size);
    qint64 scanned() const { return m_scanned; }

    // Start of the character that holds the byte at `offset`; scanned() for
    // any offset at or past it.
    qint64 characterStart(const char *text, qint64 offset) const;

private:
    bool startsCharacter(const char *text, qint64 offset) const;

    std::vector<bool> m_strideStarts; // one per Stride-th byte taken in
    qint64 m_scanned = 0;
};
