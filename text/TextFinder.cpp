#include "TextFinder.h"

#include "Cp932.h"
#include "EucJpCodec.h"
#include "FileText.h"
#include "FindBytes.h"
#include "TextCodec.h"
#include "TextNavigator.h"

#include <algorithm>

namespace {

// Lead bytes read back to tell a character start; past them the index
// tells, from its checkpoint.
constexpr qint64 BoundaryReach = 256;

} // namespace

TextFinder::TextFinder(const FileText &text, FindKind kind, FindPattern pattern)
    : m_text(text)
    , m_kind(kind)
    , m_pattern(std::move(pattern))
    , m_path(activeFindPath())
{
}

qint64 TextFinder::size() const
{
    return m_text.size();
}

const std::uint8_t *TextFinder::data() const
{
    return reinterpret_cast<const std::uint8_t *>(m_text.data());
}

CharacterKind TextFinder::characterKind() const
{
    return m_kind == FindKind::InvalidByte ? CharacterKind::Invalid : CharacterKind::PlatformDependent;
}

bool TextFinder::isCp932() const
{
    return m_text.encoding() == TextEncoding::Cp932;
}

qint64 TextFinder::characterLength(qint64 at) const
{
    if (!isCp932())
        return textCodec(m_text.encoding()).characterLength(m_text.data() + at, size() - at);
    return Cp932::characterLength(m_text.data() + at, size() - at);
}

// Code page 932: past the reach, all of [at - BoundaryReach, at) are lead
// bytes. Other encodings: the codec, from the index's checkpoint at most.
bool TextFinder::startsCharacter(qint64 at) const
{
    if (m_text.encoding() == TextEncoding::EucJp)
        return startsEucJpCharacter(at);
    if (!isCp932())
        return m_text.index().characters().characterStart(m_text.data(), BytePosition(at)) == BytePosition(at);
    if (const std::optional<bool> near = FindBytes::startsCharacter(data(), at, BoundaryReach))
        return *near;
    const qint64 back = at - BoundaryReach;
    if (m_runStart >= 0 && m_runStart <= back && back <= m_runKnownTo) {
        m_runKnownTo = std::max(m_runKnownTo, at);
    } else {
        m_runStart = TextNavigator(m_text).characterStart(BytePosition(back)).value();
        m_runKnownTo = at;
    }
    return (at - m_runStart) % 2 == 0 || !Cp932::isTrailByte(data()[at]);
}

// EUC-JP: a byte that is no JIS byte (A1-FE) always starts a character;
// in a run of JIS bytes the characters are pairs from where the character
// before the run ends. That origin is kept for the run's next matches.
bool TextFinder::startsEucJpCharacter(qint64 at) const
{
    if (!EucJpCodec::isJisByte(data()[at]))
        return true;
    if (m_runStart < 0 || at < m_runStart || !runGoesOnTo(at))
        findRunOrigin(at);
    return at >= m_runStart && (at - m_runStart) % 2 == 0;
}

bool TextFinder::runGoesOnTo(qint64 at) const
{
    for (; m_runKnownTo < at; ++m_runKnownTo)
        if (!EucJpCodec::isJisByte(data()[m_runKnownTo + 1]))
            return false;
    return true;
}

// Back to the run's start, or to the index's checkpoint, a character start,
// if the run goes on past it.
void TextFinder::findRunOrigin(qint64 at) const
{
    const std::uint8_t *bytes = data();
    const qint64 checkpoint = m_text.index().characters().checkpoint(CharacterIndex::checkpointOf(BytePosition(at))).start.value();
    qint64 start = at;
    while (start > checkpoint && EucJpCodec::isJisByte(bytes[start - 1]))
        --start;
    m_runStart = start;
    m_runKnownTo = at;
    if (start == checkpoint)
        return;
    const std::uint8_t before = bytes[start - 1];
    if (before == 0x8E && EucJpCodec::isKanaByte(bytes[start]))
        m_runStart = start + 1;
    else if (before == 0x8F)
        m_runStart = start + (start + 1 < size() && EucJpCodec::isJisByte(bytes[start + 1]) ? 2 : 1);
}

qint64 TextFinder::characterFrom(qint64 at) const
{
    if (at <= 0 || at >= size())
        return std::clamp<qint64>(at, 0, size());
    if (!isCp932()) {
        const qint64 start = m_text.index().characters().characterStart(m_text.data(), BytePosition(at)).value();
        return start == at ? at : start + characterLength(start);
    }
    return startsCharacter(at) ? at : at + 1;
}

// Character at a time by the codec; ASCII, which both UTF-8 and EUC-JP
// read as itself, a byte at a time. No character of these encodings is
// platform-dependent.
qint64 TextFinder::firstInvalidByCodec(qint64 from, qint64 to) const
{
    if (m_kind != FindKind::InvalidByte)
        return -1;
    const TextCodec &codec = textCodec(m_text.encoding());
    const bool asciiIsItself = m_text.encoding() == TextEncoding::Utf8 || m_text.encoding() == TextEncoding::EucJp;
    const std::uint8_t *bytes = data();
    for (qint64 at = from; at < to;) {
        if (asciiIsItself && bytes[at] < 0x80) {
            ++at;
            continue;
        }
        const DecodedCharacter c = codec.characterAt(m_text.data() + at, size() - at);
        if (!c.valid)
            return at;
        at += c.length;
    }
    return -1;
}

FindMatch TextFinder::matchAt(qint64 at, qint64 length) const
{
    const TextNavigator navigator(m_text);
    const BytePosition start = navigator.positionNear(BytePosition(at));
    return {start, navigator.positionAfter(navigator.positionNear(BytePosition(at + length - 1))), at};
}

qint64 TextFinder::firstStart(qint64 from, qint64 to) const
{
    if (searchesCharacters() && !isCp932())
        return firstInvalidByCodec(characterFrom(from), to);
    if (searchesCharacters())
        return FindBytes::firstCharacter(m_path, characterKind(), data(), size(), characterFrom(from), to);
    for (qint64 at = from;; ++at) {
        at = FindBytes::first(m_path, data(), size(), at, to, m_pattern);
        if (at < 0 || !m_pattern.startsCharacter || startsCharacter(at))
            return at;
    }
}

std::optional<FindMatch> TextFinder::first(qint64 from, qint64 to) const
{
    const qint64 at = firstStart(std::max<qint64>(from, 0), std::min(to, size()));
    if (at < 0)
        return std::nullopt;
    return matchAt(at, searchesCharacters() ? characterLength(at) : qint64(m_pattern.size()));
}

std::optional<FindMatch> TextFinder::last(qint64 from, qint64 to) const
{
    from = std::max<qint64>(from, 0);
    to = std::min(to, size());
    qint64 found = -1;
    if (searchesCharacters()) {
        for (qint64 at = firstStart(from, to); at >= 0; at = firstStart(at + characterLength(at), to))
            found = at;
    } else {
        for (qint64 end = to; found < 0;) {
            const qint64 at = FindBytes::last(m_path, data(), size(), from, end, m_pattern);
            if (at < 0)
                break;
            if (!m_pattern.startsCharacter || startsCharacter(at))
                found = at;
            end = at;
        }
    }
    if (found < 0)
        return std::nullopt;
    return matchAt(found, searchesCharacters() ? characterLength(found) : qint64(m_pattern.size()));
}

qint64 TextFinder::stretch() const
{
    constexpr qint64 Most = qint64(1) << 20;
    if (searchesCharacters())
        return isCp932() ? Most : Most / 4; // a codec's walk is slower
    return std::clamp<qint64>((qint64(16) << 20) / qint64(std::max<std::size_t>(m_pattern.size(), 1)), 64, Most);
}
