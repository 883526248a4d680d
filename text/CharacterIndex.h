#pragma once

#include "TextEncoding.h"
#include "TextMetrics.h"
#include "TextUnits.h"

#include <QtGlobal>
#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

// The characters of a growing code page 932 text, built in one pass as the
// bytes come in, with a checkpoint at every BytesPerCheckpoint-th byte:
// where the character there starts, how many characters come before it,
// and its x in its line (with the text's TextMetrics). So the character
// holding any byte, the character at any count, and the x of any place of a
// line of any length are found by reading at most BytesPerCheckpoint bytes
// from a known place. Also the width of the widest line. Costs 16 bytes and
// a byte per checkpoint.
//
// Characters are those of the text's encoding (Cp932::characterLength for
// code page 932, TextCodec for the others) on the whole text; a CR LF
// counts as one character, as a text box counts its line breaks. CR and LF
// never belong to a double-byte character, so these are also the characters
// of each line on its own. A lead byte at the end of what was taken in
// counts as one single-byte character until the next bytes show its trail.
class CharacterIndex
{
public:
    static constexpr qint64 BytesPerCheckpoint = 4096;

    // A character start with what is known of it.
    struct Checkpoint
    {
        BytePosition start;
        CharacterCount before;
        XUnits x; // in its line
    };

    explicit CharacterIndex(std::shared_ptr<const TextMetrics> metrics, TextEncoding encoding = TextEncoding::Cp932);

    TextEncoding encoding() const { return m_encoding; }
    // Takes in the next n bytes of a code page 932 text (other encodings
    // are taken in by a scan, takeScan()).
    void extend(const char *bytes, qint64 n);
    qint64 scanned() const { return m_scanned; }
    const TextMetrics &metrics() const { return *m_metrics; }
    const std::shared_ptr<const TextMetrics> &sharedMetrics() const { return m_metrics; }

    CharacterCount characterCount() const { return CharacterCount(m_characters); }
    XUnits widestLine() const { return XUnits(std::max(m_widest, m_x)); }

    // Start of the character that holds the byte at `position`; scanned()
    // for any position at or past it. `text` holds the bytes taken in.
    BytePosition characterStart(const char *text, BytePosition position) const;

    // Checkpoint i: the character start at or just before the byte
    // i * BytesPerCheckpoint (at most 3 bytes before it). A character
    // beyond the Basic Multilingual Plane counts two, as a text box counts
    // it in UTF-16 units.
    Checkpoint checkpoint(qint64 i) const;
    qint64 checkpointCount() const { return qint64(m_checkpointX.size()); }
    // The checkpoint at or before the byte at `position`.
    static qint64 checkpointOf(BytePosition position) { return position.value() / BytesPerCheckpoint; }
    qint64 memoryBytes() const { return checkpointCount() * qint64(sizeof(std::uint8_t) + sizeof(qint64) + sizeof(Units)); }
    // The last checkpoint with at most `characters` before it.
    qint64 checkpointBeforeCharacter(CharacterCount characters) const;
    // The last checkpoint in [first, last] whose x is at most x, or first - 1
    // when there is none.
    qint64 checkpointBeforeX(qint64 first, qint64 last, XUnits x) const;

    // Where a scan of its own (TextScan) has got to, as extend() would
    // have left the index.
    struct Scanned
    {
        qint64 scanned;
        CharacterCount characters;
        XUnits widest; // of the lines ended so far
        XUnits x;      // past the last character
    };
    // Takes in that state and the checkpoints the scan recorded since the
    // last call, in order; `newCheckpoints` is left empty.
    void takeScan(const Scanned &state, std::vector<Checkpoint> &newCheckpoints);

private:
    // The scans add up x in plain numbers.
    using Units = qint64;

    struct Cursor;
    template<bool Kerned>
    const unsigned char *scan(const unsigned char *p, const unsigned char *end);
    template<bool Kerned>
    const unsigned char *takeSimpleRun(Cursor &c, const unsigned char *p) const;
    const unsigned char *takePairs(Cursor &c, const unsigned char *p, const unsigned char *end) const;
    template<bool Kerned>
    const unsigned char *takeBytes(Cursor &c, const unsigned char *p, const unsigned char *runEnd, const unsigned char *end);
    void takeSpecial(Cursor &c, unsigned b);
    void recordCheckpoint(std::uint8_t next);
    void record(std::uint8_t back, qint64 characters, Units x);

    std::shared_ptr<const TextMetrics> m_metrics;
    TextEncoding m_encoding;
    // In deques, which grow without moving what they hold: a vector's
    // doubling, tens of megabytes for a file beyond memory, would stall the
    // run's block in hand.
    std::deque<std::uint8_t> m_checkpointBack; // how far it starts before its byte
    std::deque<qint64> m_checkpointCharacters; // characters before it
    std::deque<Units> m_checkpointX;           // its x in its line
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
