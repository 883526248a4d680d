#pragma once

#include "CharacterKind.h"
#include "FindPath.h"
#include "FindPattern.h"
#include "TextUnits.h"

#include <optional>

class FileText;

// What the user looks for in a text, read in its encoding.
enum class FindKind {
    Text,              // typed text as its bytes, from a character start
    Hex,               // bytes, from any byte
    InvalidByte,       // CharacterKind::Invalid; in another encoding, what its codec reads as U+FFFD
    PlatformDependent, // CharacterKind::PlatformDependent; code page 932 only, none elsewhere
};

// A match as the view selects it: the characters that hold its bytes
// (a CR LF whole).
struct FindMatch
{
    BytePosition start;
    BytePosition end;
    qint64 at = 0; // the first byte matched
    friend bool operator==(const FindMatch &, const FindMatch &) = default;
};

// One search of a FileText, the copy or the mapping, a stretch of starts at
// a time, so that a caller can cut a long search into slices. Each call
// reads the bytes of the starts it is given, a pattern's length past them
// and a few kilobytes around a match, whatever happened to a mapped file
// since it was read. A text match counts only where a character of the
// text's encoding starts: in code page 932 as told from the lead bytes
// before it, in the others by their codec from the index's checkpoint.
// Holds a reference to the text.
class TextFinder
{
public:
    // `pattern` for Text and Hex; the path active now (activeFindPath()).
    TextFinder(const FileText &text, FindKind kind, FindPattern pattern = {});

    qint64 size() const;
    // The first, and the last, match that starts in [from, to).
    std::optional<FindMatch> first(qint64 from, qint64 to) const;
    std::optional<FindMatch> last(qint64 from, qint64 to) const;
    // The starts one call should be given for about a millisecond of work:
    // fewer for long patterns, whose every candidate is compared whole.
    qint64 stretch() const;

private:
    const std::uint8_t *data() const;
    bool searchesCharacters() const { return m_kind == FindKind::InvalidByte || m_kind == FindKind::PlatformDependent; }
    CharacterKind characterKind() const;
    bool isCp932() const;
    qint64 characterLength(qint64 at) const;
    bool startsCharacter(qint64 at) const;
    bool startsEucJpCharacter(qint64 at) const;
    // Whether the run of JIS bytes known so far goes on to `at`.
    bool runGoesOnTo(qint64 at) const;
    void findRunOrigin(qint64 at) const;
    // The first character start at or after `at`.
    qint64 characterFrom(qint64 at) const;
    FindMatch matchAt(qint64 at, qint64 length) const;
    qint64 firstStart(qint64 from, qint64 to) const;
    qint64 firstInvalidByCodec(qint64 from, qint64 to) const;

    const FileText &m_text;
    // A character start in a long run of lead bytes (code page 932) or of
    // JIS bytes (EUC-JP), and how far the run is known to go on from it: the
    // starts of the rest of the run follow from it, one walk a run.
    mutable qint64 m_runStart = -1;
    mutable qint64 m_runKnownTo = -1;
    FindKind m_kind;
    FindPattern m_pattern;
    FindPath m_path;
};
