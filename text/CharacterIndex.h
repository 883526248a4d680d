#pragma once

#include "TextMetrics.h"

#include <QtGlobal>
#include <algorithm>
#include <memory>
#include <vector>

// The characters of a growing code page 932 text, known at every Stride-th
// byte, built in one pass as the bytes come in: where the character there
// starts, how many characters come before it, and its x in its line (with
// the text's TextMetrics). So the character holding any byte, the character
// at any count, and the x of any place of a line of any length are found by
// reading at most Stride bytes from a known place. Also the width of the
// widest line. Costs 16 bytes and a bit per Stride bytes.
//
// Characters are those of Cp932::characterLength on the whole text; a CR LF
// counts as one character, as a text box counts its line breaks. CR and LF
// never belong to a double-byte character, so these are also the characters
// of each line on its own. A lead byte at the end of what was taken in
// counts as one single-byte character until the next bytes show its trail.
class CharacterIndex
{
public:
    using Units = TextMetrics::Units;
    static constexpr qint64 Stride = 4096;

    // A character start with what is known of it.
    struct Anchor
    {
        qint64 position = 0;
        qint64 characters = 0; // before it
        Units x = 0;           // in its line
    };

    explicit CharacterIndex(std::shared_ptr<const TextMetrics> metrics);

    // Takes in the next n bytes of the text.
    void extend(const char *bytes, qint64 n);
    qint64 scanned() const { return m_scanned; }
    const TextMetrics &metrics() const { return *m_metrics; }
    const std::shared_ptr<const TextMetrics> &sharedMetrics() const { return m_metrics; }

    qint64 characterCount() const { return m_characters; }
    Units widestLine() const { return std::max(m_widest, m_x); }

    // Start of the character that holds the byte at `offset`; scanned() for
    // any offset at or past it. `text` holds the bytes taken in.
    qint64 characterStart(const char *text, qint64 offset) const;

    // The character start at or just before the Stride-th byte `stride`.
    Anchor anchor(qint64 stride) const;
    qint64 strideCount() const { return qint64(m_strideX.size()); }
    qint64 memoryBytes() const { return qint64(m_strideStarts.capacity() / 8 + m_strideCharacters.capacity() * sizeof(qint64) + m_strideX.capacity() * sizeof(Units)); }
    // The last stride whose anchor has at most `characters` before it.
    qint64 strideBeforeCharacter(qint64 characters) const;
    // The last stride in [first, last] whose anchor's x is at most x, or
    // first - 1 when there is none.
    qint64 strideBeforeX(qint64 first, qint64 last, Units x) const;

private:
    friend class TextScan; // builds the same state in its own pass

    template<bool Kerned>
    const unsigned char *scan(const unsigned char *p, const unsigned char *end);
    void recordStride(std::uint8_t next);
    void record(bool starts, qint64 characters, Units x);

    std::shared_ptr<const TextMetrics> m_metrics;
    std::vector<bool> m_strideStarts;        // the Stride-th byte starts a character
    std::vector<qint64> m_strideCharacters;  // characters before its anchor
    std::vector<Units> m_strideX;            // its anchor's x in its line
    qint64 m_scanned = 0;

    // The scan's state after the last byte taken in. Each byte is taken as a
    // character of its own until the next byte shows it to be a lead byte
    // with its trail: so a lead byte is counted, and its single-byte advance
    // added, until its trail takes both back for the double-byte character.
    qint64 m_characters = 0;
    Units m_x = 0;           // past the last character, before kerning
    Units m_widest = 0;      // of the lines ended so far
    int m_previous = -1;     // the last byte
    bool m_leadOpen = false; // the last byte is a lead byte that starts a character
    bool m_trailLast = false; // the last byte is the trail of a double-byte character
};
