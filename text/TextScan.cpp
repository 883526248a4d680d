#include "TextScan.h"

#include "CharacterIndex.h"
#include "Cp932.h"
#include "LineIndex.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int WeightSteps = ScanState::WeightBits;

bool isSpecial(int b)
{
    return b == '\t' || b == '\r' || b == '\n';
}

// Whether every double-byte advance has been measured.
bool allPairsMeasured(const TextMetrics &metrics)
{
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!Cp932::isLeadByte(std::uint8_t(lead)))
            continue;
        const qint32 *row = metrics.doubleTable() + metrics.rowOf(std::uint8_t(lead));
        if (std::any_of(row, row + 256, [](qint32 advance) { return advance < 0; }))
            return false;
    }
    return true;
}

} // namespace

TextScan::TextScan(ScanPath path)
    : m_path(path)
{
    Q_ASSERT(path != ScanPath::Reference);
}

// The most a byte adds to its line as a character of its own: its advance
// and the largest kerning after it. Scaled to 4 bits above the least of
// them, rounded up, so the sum of a line's weights bounds its width.
void TextScan::prepare(const TextMetrics &metrics)
{
    ScanState &s = m_state;
    s.metrics = &metrics;
    TextMetrics::Units most[256];
    TextMetrics::Units least = std::numeric_limits<TextMetrics::Units>::max(), top = 0;
    for (int b = 0; b < 256; ++b) {
        qint32 kerning = 0;
        for (int next = 0x20; next < 0x7F; ++next)
            kerning = std::max(kerning, metrics.kerning(std::uint8_t(b), std::uint8_t(next)));
        most[b] = metrics.single(std::uint8_t(b)) + kerning;
        if (!isSpecial(b)) {
            least = std::min(least, most[b]);
            top = std::max(top, most[b]);
        }
    }
    s.base = least;
    s.unit = std::max<TextMetrics::Units>(1, (top - least + WeightSteps - 1) / WeightSteps);
    s.tabExtra = metrics.tabStopDistance() - s.base; // a tab adds at most one tab stop
    for (int b = 0; b < 256; ++b) {
        const auto byte = std::uint8_t(b);
        const int weight = isSpecial(b) ? 0 : int((most[b] - s.base + s.unit - 1) / s.unit);
        s.classes[b] = std::uint8_t(weight | (Cp932::isLeadByte(byte) ? ScanState::Lead : 0) | (Cp932::isTrailByte(byte) ? ScanState::Trail : 0)
                                    | (b == '\t' ? ScanState::Tab : 0) | (b == '\r' ? ScanState::Cr : 0));
        if (b >= 0x80)
            s.highWeight = std::max<std::uint8_t>(s.highWeight, std::uint8_t(weight));
    }
    // The AVX-512 path's: every single byte and a tab's stop in 255 steps.
    const TextMetrics::Units tabMore = std::max<TextMetrics::Units>(s.tabExtra, 0);
    s.byteUnit = std::max<TextMetrics::Units>(1, (std::max(top - least, tabMore) + 254) / 255);
    const auto steps = [&](TextMetrics::Units more) { return std::uint8_t((more + s.byteUnit - 1) / s.byteUnit); };
    for (int b = 0; b < 256; ++b)
        s.byteWeights[b] = b == '\t' ? steps(tabMore) : isSpecial(b) ? 0 : steps(most[b] - s.base);
    s.singlesSplit = true;
    for (int b = 0; b < 256; ++b) {
        const qint32 advance = metrics.single(std::uint8_t(b));
        s.singlesSplit = s.singlesSplit && advance <= 0xFFFF;
        s.splitSingles.low[b] = std::uint8_t(advance);
        s.splitSingles.high[b] = std::uint8_t(advance >> 8);
    }
    if (allPairsMeasured(metrics))
        boundPairs();
    m_prepared = true;
}

// A double-byte character weighs its lead byte as a single byte, and its
// trail byte base + pairExtra: together at least its advance. The AVX-512
// path weighs the trail byte base + pairExtra + byteUnit * w instead, w
// from the pair's own bytes (ScanState::pairTables), pairExtra what does
// not fit in 255 steps. A trail may weigh less than 0, its character never
// does.
void TextScan::boundPairs()
{
    ScanState &s = m_state;
    const TextMetrics &metrics = *s.metrics;
    const bool own = m_path == ScanPath::Avx512;
    // What a pair adds beyond its lead's weight and its trail's base.
    const auto more = [&](int lead, int trail) {
        const TextMetrics::Units leadWeight = own ? s.byteUnit * s.byteWeights[lead] : s.unit * (s.classes[lead] & ScanState::WeightBits);
        return TextMetrics::Units(metrics.doubleByte(std::uint8_t(lead), std::uint8_t(trail))) - s.base - (s.base + leadWeight);
    };
    TextMetrics::Units least = std::numeric_limits<TextMetrics::Units>::max(), most = std::numeric_limits<TextMetrics::Units>::min();
    const auto forEachPair = [](auto &&f) {
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if (Cp932::isLeadByte(std::uint8_t(lead)) && Cp932::isTrailByte(std::uint8_t(trail)))
                    f(lead, trail);
    };
    forEachPair([&](int lead, int trail) {
        least = std::min(least, more(lead, trail));
        most = std::max(most, more(lead, trail));
    });
    s.pairsBounded = true;
    s.lineUnbounded = s.scanned > 0; // the open line was weighed without these
    if (!own) {
        s.pairExtra = most;
        return;
    }
    s.pairExtra = std::max(least, most - 255 * s.byteUnit);
    forEachPair([&](int lead, int trail) {
        const TextMetrics::Units rest = std::max<TextMetrics::Units>(0, more(lead, trail) - s.pairExtra);
        const auto steps = std::uint8_t((rest + s.byteUnit - 1) / s.byteUnit);
        s.pairTables[0][lead] = std::max(s.pairTables[0][lead], steps);
        if (lead <= 0x83)
            s.pairTables[lead - 0x80][trail] = steps;
    });
}

void TextScan::extend(LineIndex &lines, CharacterIndex &characters, const char *bytes, qint64 n)
{
    if (n <= 0)
        return;
    if (!m_prepared)
        prepare(characters.metrics());
    ScanState &s = m_state;
    const auto *block = reinterpret_cast<const unsigned char *>(bytes);
    switch (m_path) {
#if defined(__x86_64__) || defined(__i386__)
    case ScanPath::Sse2: scanBlockSse2(s, block, n); break;
    case ScanPath::Avx2: scanBlockAvx2(s, block, n); break;
    case ScanPath::Avx512: scanBlockAvx512(s, block, n); break;
#endif
    default: scanBlockPlain(s, block, n); break;
    }
    if (!s.pairsBounded && s.pairs > 0) {
        // Until every double-byte advance is known, every line with a
        // double-byte character is measured. The window measures them while
        // it waits for the user; a lead byte's worth more with each block,
        // so that a block never waits long.
        while (m_nextLead <= 0xFC && !Cp932::isLeadByte(std::uint8_t(m_nextLead)))
            ++m_nextLead;
        if (m_nextLead <= 0xFC)
            characters.metrics().measureLead(std::uint8_t(m_nextLead++));
        if (allPairsMeasured(characters.metrics()))
            boundPairs();
    }

    for (const ScanState::LineCheckpoint &c : s.newLineCheckpoints)
        lines.m_checkpoints.push_back({LineNumber(c.line), BytePosition(c.start)});
    s.newLineCheckpoints.clear();
    lines.m_scanned = s.scanned;
    lines.m_knownLines = LineNumber(s.knownLines);
    lines.m_lastStart = BytePosition(s.lastStart);
    lines.m_longest = s.longest;
    lines.m_pendingCr = s.pendingCr;

    for (const ScanState::CharacterCheckpoint &c : s.newCharacterCheckpoints)
        characters.record(c.starts, c.characters, c.x);
    s.newCharacterCheckpoints.clear();
    characters.m_scanned = s.scanned;
    characters.m_characters = s.characters;
    characters.m_widest = s.widest;
    characters.m_x = s.openX;
}
