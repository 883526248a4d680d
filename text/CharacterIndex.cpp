#include "CharacterIndex.h"

#include "Cp932.h"
#include "TextCodec.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum ByteClass : std::uint8_t { Lead = 1, Trail = 2, Special = 4 };

struct ByteClasses
{
    std::uint8_t of[256]{};
    constexpr ByteClasses()
    {
        for (int b = 0; b < 256; ++b) {
            of[b] = std::uint8_t((Cp932::isLeadByte(std::uint8_t(b)) ? Lead : 0) | (Cp932::isTrailByte(std::uint8_t(b)) ? Trail : 0));
            if (b == '\t' || b == '\r' || b == '\n')
                of[b] = Special;
        }
    }
};
constexpr ByteClasses Classes;

// Bytes taken a run at a time where none is a lead byte, a tab or a line
// break: then each is a character of its own, which is the case of most
// text and of runs of zeros.
constexpr int SimpleRun = 16;
// Bytes taken one at a time before the runs above are looked for again:
// few after a run, more and more while none is found, as in binary data.
constexpr qint64 FirstByteRun = 4;
constexpr qint64 LongestByteRun = 256;

#if defined(__SSE2__)
inline bool isSimpleRun(const unsigned char *p)
{
    const __m128i bytes = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), _mm_set1_epi8(char(0x80)));
    // With the top bit flipped, the lead bytes 81-9F and E0-FC are 01-1F and
    // 60-7C as signed bytes; tab, LF and CR are 89, 8A and 8D.
    const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_setzero_si128()), _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)));
    const __m128i high = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x5F)), _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7D)));
    const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(char(0x89))),
                                        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(char(0x8A))), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(char(0x8D)))));
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(low, high), breaks)) == 0;
}
#else
inline bool isSimpleRun(const unsigned char *p)
{
    unsigned kinds = 0;
    for (int i = 0; i < SimpleRun; ++i)
        kinds |= Classes.of[p[i]];
    return (kinds & (Lead | Special)) == 0;
}
#endif

} // namespace

CharacterIndex::CharacterIndex(std::shared_ptr<const TextMetrics> metrics, TextEncoding encoding)
    : m_metrics(std::move(metrics))
    , m_encoding(encoding)
{
    Q_ASSERT(m_metrics);
}

void CharacterIndex::extend(const char *bytes, qint64 n)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto *end = p + n;
    while (p < end) {
        const qint64 position = m_scanned + (n - (end - p));
        if (position == checkpointCount() * BytesPerCheckpoint)
            recordCheckpoint(*p);
        const auto *segmentEnd = p + std::min<qint64>(end - p, checkpointCount() * BytesPerCheckpoint - position);
        p = m_metrics->hasKerning() ? scan<true>(p, segmentEnd) : scan<false>(p, segmentEnd);
    }
    m_scanned += n;
}

// At a checkpoint's byte, whose value is `next`, before it is scanned.
void CharacterIndex::recordCheckpoint(std::uint8_t next)
{
    if (m_leadOpen && (Classes.of[next] & Trail)) { // the checkpoint falls on a trail byte
        record(1, m_characters - 1, m_x - m_metrics->single(std::uint8_t(m_previous)));
        return;
    }
    Units x = m_x;
    if (!m_trailLast && m_previous >= 0)
        x += m_metrics->kerning(std::uint8_t(m_previous), next);
    record(0, m_characters, x);
}

// The scan's state in locals, so that it stays in registers; every flag 0 or 1.
struct CharacterIndex::Cursor
{
    Units x;
    qint64 characters;
    unsigned previous;
    unsigned leadOpen;
    unsigned trailLast;
};

template<bool Kerned>
const unsigned char *CharacterIndex::scan(const unsigned char *p, const unsigned char *end)
{
    Cursor c{m_x, m_characters, unsigned(std::max(m_previous, 0)), m_leadOpen, m_trailLast};
    qint64 byteRun = FirstByteRun;
    while (p < end) {
        if (!c.leadOpen && *p < 0x80 && end - p >= SimpleRun && isSimpleRun(p)) {
            p = takeSimpleRun<Kerned>(c, p);
            byteRun = FirstByteRun;
        } else if (!c.leadOpen && end - p >= 2 && (Classes.of[p[0]] & Lead) && (Classes.of[p[1]] & Trail)) {
            p = takePairs(c, p, end);
            byteRun = FirstByteRun;
        } else {
            const unsigned char *runEnd = p + std::min<qint64>(byteRun, end - p);
            byteRun = std::min(2 * byteRun, LongestByteRun);
            p = takeBytes<Kerned>(c, p, runEnd, end);
        }
    }
    m_x = c.x;
    m_characters = c.characters;
    m_previous = int(c.previous);
    m_leadOpen = c.leadOpen;
    m_trailLast = c.trailLast;
    return p;
}

// SimpleRun bytes, each a character of its own: their advances add up.
template<bool Kerned>
[[gnu::always_inline]] inline const unsigned char *CharacterIndex::takeSimpleRun(Cursor &c, const unsigned char *p) const
{
    const TextMetrics &metrics = *m_metrics;
    const qint32 *single = metrics.singleTable();
    Units run = 0;
    for (int i = 0; i < SimpleRun; ++i)
        run += single[p[i]];
    if (Kerned) {
        if (!c.trailLast)
            run += metrics.kerning(std::uint8_t(c.previous), p[0]);
        for (int i = 0; i + 1 < SimpleRun; ++i)
            run += metrics.kerning(p[i], p[i + 1]);
    }
    c.x += run;
    c.characters += SimpleRun;
    c.trailLast = 0;
    c.previous = p[SimpleRun - 1];
    return p + SimpleRun;
}

// A run of double-byte characters, as Japanese text mostly is.
[[gnu::always_inline]] inline const unsigned char *CharacterIndex::takePairs(Cursor &c, const unsigned char *p, const unsigned char *end) const
{
    const TextMetrics &metrics = *m_metrics;
    const qint32 *doubles = metrics.doubleTable();
    const unsigned char *start = p;
    do {
        qint32 pair = doubles[metrics.rowOf(p[0]) + p[1]];
        if (pair < 0) [[unlikely]]
            pair = metrics.doubleByte(p[0], p[1]);
        c.x += pair;
        p += 2;
    } while (end - p >= 2 && (Classes.of[p[0]] & Lead) && (Classes.of[p[1]] & Trail));
    c.characters += (p - start) / 2;
    c.trailLast = 1;
    c.previous = p[-1];
    return p;
}

// One byte at a time without branches on its kind, so that binary data
// scans as fast as text: the byte's class, its single-byte advance and the
// double-byte advance it makes with the byte before are all looked up, and
// the one that applies is taken. Goes on past runEnd to the end of a
// double-byte character, so that the runs above can be looked for from a
// character's start.
template<bool Kerned>
[[gnu::always_inline]] inline const unsigned char *CharacterIndex::takeBytes(Cursor &c, const unsigned char *p, const unsigned char *runEnd,
                                                                             const unsigned char *end)
{
    const TextMetrics &metrics = *m_metrics;
    const qint32 *single = metrics.singleTable();
    const qint32 *doubles = metrics.doubleTable();
    for (; p < end && (p < runEnd || c.leadOpen); ++p) {
        const unsigned b = *p;
        const unsigned kind = Classes.of[b];
        if (kind & Special) [[unlikely]] {
            takeSpecial(c, b);
            continue;
        }
        const unsigned second = c.leadOpen & (kind >> 1);
        qint32 pair = doubles[metrics.rowOf(std::uint8_t(c.previous)) + b];
        if (pair < 0) [[unlikely]]
            pair = second ? metrics.doubleByte(std::uint8_t(c.previous), std::uint8_t(b)) : 0;
        const qint32 alone = single[b];
        const qint32 paired = pair - single[c.previous];
        qint32 advance = alone ^ ((alone ^ paired) & -qint32(second));
        if (Kerned)
            advance += metrics.kerning(std::uint8_t(c.previous), std::uint8_t(b)) & -qint32((second | c.trailLast) ^ 1);
        c.x += advance;
        c.characters += 1 - second;
        c.leadOpen = kind & ~second & Lead;
        c.trailLast = second;
        c.previous = b;
    }
    return p;
}

// A tab, CR or LF.
inline void CharacterIndex::takeSpecial(Cursor &c, unsigned b)
{
    if (b == '\t') {
        c.x = m_metrics->nextTabStop(XUnits(c.x)).value();
        ++c.characters;
    } else if (b == '\r' || c.previous != '\r') { // the LF of a CR LF was counted with its CR
        m_widest = std::max(m_widest, c.x);
        c.x = 0;
        ++c.characters;
    }
    c.leadOpen = c.trailLast = 0;
    c.previous = b;
}

void CharacterIndex::record(std::uint8_t back, qint64 characters, Units x)
{
    m_checkpointBack.push_back(back);
    m_checkpointCharacters.push_back(characters);
    m_checkpointX.push_back(x);
}

void CharacterIndex::takeScan(const Scanned &state, std::vector<Checkpoint> &newCheckpoints)
{
    for (const Checkpoint &c : newCheckpoints)
        record(std::uint8_t(checkpointCount() * BytesPerCheckpoint - c.start.value()), c.before.value(), c.x.value());
    newCheckpoints.clear();
    m_scanned = state.scanned;
    m_characters = state.characters.value();
    m_widest = state.widest.value();
    m_x = state.x.value();
}

BytePosition CharacterIndex::characterStart(const char *text, BytePosition position) const
{
    const BytePosition end(m_scanned);
    if (position >= end)
        return end;
    BytePosition start = checkpoint(checkpointOf(position)).start;
    if (m_encoding != TextEncoding::Cp932)
        return BytePosition(textCodec(m_encoding).characterStart(text, end.value(), position.value(), start.value()));
    for (;;) {
        const BytePosition next = start + Cp932::characterLength(text + start.value(), end - start);
        if (next > position)
            return start;
        start = next;
    }
}

CharacterIndex::Checkpoint CharacterIndex::checkpoint(qint64 i) const
{
    const auto at = std::size_t(i);
    return {BytePosition(i * BytesPerCheckpoint - m_checkpointBack[at]), CharacterCount(m_checkpointCharacters[at]), XUnits(m_checkpointX[at])};
}

qint64 CharacterIndex::checkpointBeforeCharacter(CharacterCount characters) const
{
    const auto after = std::upper_bound(m_checkpointCharacters.begin(), m_checkpointCharacters.end(), characters.value());
    return qint64(after - m_checkpointCharacters.begin()) - 1;
}

qint64 CharacterIndex::checkpointBeforeX(qint64 first, qint64 last, XUnits x) const
{
    if (first > last)
        return first - 1;
    const auto begin = m_checkpointX.begin() + first;
    const auto after = std::upper_bound(begin, m_checkpointX.begin() + last + 1, x.value());
    return first + qint64(after - begin) - 1;
}
