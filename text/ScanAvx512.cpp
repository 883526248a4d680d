// The AVX-512 path: every class bit of 64 bytes from one 256-entry table,
// looked up with two vpermi2b; each byte's weight in the width bound from
// another, and for each double-byte character from its own bytes, summed
// with vpsadbw. Each stretch of a page is taken in two passes (ScanBreaks.h):
// the masks and sums of every chunk first, without a branch on the bytes,
// then the breaks alone.
#if defined(__x86_64__) || defined(__i386__)
#include "ScanFeatures.h"
#define HEXMOTH_SCAN_TARGET __attribute__((target(HEXMOTH_AVX512_FEATURES)))
#include "ScanBreaks.h"

#include "Cp932.h"

#include <immintrin.h>
#include <limits>

// GCC 12 warns of the undefined vectors inside its own intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

namespace ScanAvx512 {

// The path weighs each byte in steps of byteUnit: a single-byte character
// (a tab's stop included) by byteWeights, the trail of a double-byte
// character by ScanState::pairExtra + byteUnit * w, w by the lead byte from
// pairTables[0], or for the leads 81-83 (punctuation, kana, whose advances
// differ most) by the trail byte from pairTables[1-3].
struct Tables
{
    alignas(64) std::uint8_t byteWeights[256]{};
    alignas(64) std::uint8_t pairTables[4][256]{};
    ScanState::Units byteUnit = 1;
    // The walks' single-byte advances, where every advance fits 16 bits
    // (singlesSplit); a kerned walk sums its own.
    BlockWalker::SplitAdvances splitSingles{};
    bool singlesSplit = false;
};

namespace {

// The bytes whose class has bit `bit` set.
template<int bit>
HEXMOTH_SCAN_TARGET inline std::uint64_t withBit(__m512i classes)
{
    return std::uint64_t(_mm512_test_epi8_mask(classes, _mm512_set1_epi8(char(1 << bit))));
}

// table[byte] for every byte of `bytes`; table is 256 bytes.
HEXMOTH_SCAN_TARGET inline __m512i lookUp(const __m512i table[4], __m512i bytes)
{
    const __m512i low = _mm512_permutex2var_epi8(table[0], bytes, table[1]);
    const __m512i high = _mm512_permutex2var_epi8(table[2], bytes, table[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

struct Avx512Classifier
{
    HEXMOTH_SCAN_TARGET Avx512Classifier(const ScanState &state, const Tables &tables)
        : pairs(_mm512_setzero_si512())
    {
        for (int quarter = 0; quarter < 4; ++quarter) {
            classes[quarter] = _mm512_loadu_si512(state.classes + 64 * quarter);
            weights[quarter] = _mm512_loadu_si512(tables.byteWeights + 64 * quarter);
            for (int row = 0; row < 3; ++row)
                trailRows[row][quarter] = _mm512_loadu_si512(tables.pairTables[row + 1] + 64 * quarter);
        }
        leadRow[0] = _mm512_loadu_si512(tables.pairTables[0] + 128);
        leadRow[1] = _mm512_loadu_si512(tables.pairTables[0] + 192);
        alignas(64) std::uint8_t before[64];
        for (int i = 0; i < 64; ++i)
            before[i] = std::uint8_t((i + 63) & 63);
        byteBefore = _mm512_load_si512(before);
    }
    __m512i classes[4];
    __m512i weights[4];      // byteWeights
    __m512i trailRows[3][4]; // pairTables[1-3]
    __m512i leadRow[2];      // pairTables[0], 80-FF
    __m512i byteBefore;      // lane i takes lane i - 1
    __m512i singles;         // of the last chunk: each byte's weight as a character of its own
    __m512i pairs;           // of the last chunk: the weight of a pair whose trail is here

    HEXMOTH_SCAN_TARGET ChunkMasks classify(const unsigned char *chunk, std::uint8_t previous)
    {
        const __m512i raw = _mm512_loadu_si512(chunk);
        const __m512i c = lookUp(classes, raw);
        singles = lookUp(weights, raw);
        ChunkMasks m;
        m.lead = withBit<4>(c);
        m.trail = withBit<5>(c);
        m.tab = withBit<6>(c);
        m.cr = std::uint64_t(_mm512_movepi8_mask(c));
        m.lf = _mm512_cmpeq_epi8_mask(raw, _mm512_set1_epi8('\n'));

        if (m.lead == 0 && !Cp932::isLeadByte(previous))
            return m; // no trail here: pairs is not read
        const __m512i leads = _mm512_mask_mov_epi8(_mm512_permutexvar_epi8(byteBefore, raw), 1, _mm512_set1_epi8(char(previous)));
        pairs = _mm512_permutex2var_epi8(leadRow[0], leads, leadRow[1]);
        for (int row = 0; row < 3; ++row) {
            const __mmask64 under = _mm512_cmpeq_epi8_mask(leads, _mm512_set1_epi8(char(0x81 + row)));
            pairs = _mm512_mask_mov_epi8(pairs, under, lookUp(trailRows[row], raw));
        }
        return m;
    }

    // Each byte's steps in the chunk last classified, whose double-byte
    // characters end at `trails`, 0 outside `valid`.
    HEXMOTH_SCAN_TARGET __m512i weigh(std::uint64_t trails, std::uint64_t valid) const
    {
        return _mm512_mask_mov_epi8(_mm512_maskz_mov_epi8(valid & ~trails, singles), trails, pairs);
    }
};

// The slots of the breaks of chunk k, in order. Four slots written
// whatever the count: most chunks hold fewer breaks.
[[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline void writeBreaks(std::uint16_t *out, std::uint64_t breaks, int k)
{
    for (int j = 0; j < 4; ++j, breaks = _blsr_u64(breaks))
        out[j] = std::uint16_t(64 * k + int(_tzcnt_u64(breaks)));
    if (breaks != 0) [[unlikely]] {
        for (int j = 4; breaks != 0; ++j, breaks &= breaks - 1)
            out[j] = std::uint16_t(64 * k + std::countr_zero(breaks));
    }
}

// The first pass over a stretch (StretchMarks), without a branch on what
// the bytes hold: the masks, the weights and their running sums, the
// breaks in order.
struct Avx512Marker
{
    HEXMOTH_SCAN_TARGET Avx512Marker(const ScanState &state, const Tables &tables) : classifier(state, tables), steps(_mm512_setzero_si512())
    {
    }
    Avx512Classifier classifier;
    __m512i steps;         // since the piece's start, in 8 parts
    qint64 trailCount = 0; // since the piece's start

    // What runs from chunk to chunk, held apart from ScanState so that it
    // stays in registers.
    struct Carry
    {
        std::uint64_t openLead;
        std::uint64_t previousCr;
        std::uint8_t previousByte;
        qint64 characters;
        __m512i steps;
        qint64 trailCount;
        int count; // breaks in the stretch
    };

    // Bytes `skip` to `length` - 1 of chunk k, the first of them at
    // `chunk` + skip; byte skip - 1 is the one before them.
    [[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline void markChunk(Carry &r, StretchMarks &m, std::uint64_t *trailWords,
                                                                     std::uint64_t *tabWords, int k, const unsigned char *chunk,
                                                                     int skip, int length)
    {
        const std::uint64_t valid = (~std::uint64_t(0) >> (64 - length)) & (~std::uint64_t(0) << skip);
        const ChunkMasks c = classifier.classify(chunk, r.previousByte);
        // As in scanChunk; a lead byte left open before a first byte at
        // skip > 0 stands at skip - 1, where it starts its run.
        const std::uint64_t lead = c.lead & (valid | (skip == 0 ? 0 : r.openLead << (skip - 1)));
        const std::uint64_t open = skip == 0 ? r.openLead : 0;
        const std::uint64_t leadStarts = leadStartsOf(lead, open);
        const std::uint64_t trails = ((leadStarts << 1) | open) & c.trail & valid;
        const std::uint64_t cr = c.cr & valid;
        const std::uint64_t lf = c.lf & valid;
        const std::uint64_t crLf = lf & ((cr << 1) | (r.previousCr << skip));
        const std::uint64_t breaks = cr | (lf & ~crLf);
        const std::uint64_t single = valid & ~trails;

        const __m512i weights = classifier.weigh(trails, valid);
        _mm512_store_si512(m.weights + 64 * k, weights);
        // Summed across the lanes only where a break wants it.
        _mm512_store_si512(m.laneSteps + 8 * k, r.steps);
        r.steps = _mm512_add_epi64(r.steps, _mm512_sad_epu8(weights, _mm512_setzero_si512()));
        m.trailsBefore[k] = qint32(r.trailCount);
        r.trailCount += bitCount(trails);

        trailWords[k] = trails;
        tabWords[k] = c.tab & valid;
        writeBreaks(m.breaks + r.count, breaks, k);
        r.count += bitCount(breaks);

        r.characters += bitCount(single) - bitCount(crLf);
        r.openLead = (leadStarts >> (length - 1)) & 1;
        r.previousCr = (cr >> (length - 1)) & 1;
        r.previousByte = chunk[length - 1];
    }

    // Chunk k, where it holds bytes before `from` or from `to` on.
    HEXMOTH_SCAN_TARGET void markPartial(Carry &r, StretchMarks &m, std::uint64_t *trailWords, std::uint64_t *tabWords, int k, qint64 from,
                                         qint64 to, const BlockWalker::Block &block)
    {
        const qint64 at = m.base + 64 * k;
        const int skip = int(std::max<qint64>(0, from - at));
        const int length = int(std::min<qint64>(64, to - at));
        alignas(64) unsigned char copy[64] = {};
        std::memcpy(copy + skip, block.bytes + (at + skip - block.start), std::size_t(length - skip));
        if (skip > 0)
            copy[skip - 1] = r.previousByte;
        markChunk(r, m, trailWords, tabWords, k, copy, skip, length);
    }

    // The stretch from `from` to `to` of the piece `block`.
    HEXMOTH_SCAN_TARGET void mark(ScanState &s, StretchMarks &m, qint64 from, qint64 to, const BlockWalker::Block &block)
    {
        m.base = from & ~qint64(63);
        m.firstWord = std::size_t((m.base >> 6) - (block.start >> 6));
        m.characters = s.characters;
        Carry r{s.openLead, s.previousCr, s.previousByte, s.characters, steps, trailCount, 0};
        std::uint64_t *trailWords = s.trails.data() + m.firstWord;
        std::uint64_t *tabWords = s.tabs.data() + m.firstWord;
        const int first = m.base < from ? 1 : 0;
        const int wholeEnd = int((to - m.base) >> 6);
        if (first == 1)
            markPartial(r, m, trailWords, tabWords, 0, from, to, block);
        const unsigned char *chunk = block.bytes + (m.base - block.start) + 64 * first;
        for (int k = first; k < wholeEnd; ++k, chunk += 64) {
            // The next stretch is on the next page, where the hardware's
            // prefetch does not go by itself.
            _mm_prefetch(reinterpret_cast<const char *>(chunk) + 4096, _MM_HINT_T0);
            markChunk(r, m, trailWords, tabWords, k, chunk, 0, 64);
        }
        if (wholeEnd >= first && m.base + 64 * wholeEnd < to)
            markPartial(r, m, trailWords, tabWords, wholeEnd, from, to, block);
        m.breakCount = r.count;
        m.chunks = int((to - m.base + 63) >> 6);
        m.trailsBefore[m.chunks] = qint32(r.trailCount);
        s.pairs += r.trailCount - trailCount;
        s.characters = r.characters;
        s.openLead = r.openLead;
        s.previousCr = r.previousCr;
        s.previousByte = r.previousByte;
        trailCount = r.trailCount;
        steps = r.steps;
    }

};

// The walks' sum of a word's single-byte characters: each advance's two
// bytes looked up at once, summed by vpsadbw.
HEXMOTH_SCAN_TARGET BlockWalker::Units singlesWidth(std::uint64_t starts, const unsigned char *word, const BlockWalker::SplitAdvances &advances)
{
    const __m512i bytes = _mm512_maskz_loadu_epi8(starts, word);
    __m512i low[4], high[4];
    for (int quarter = 0; quarter < 4; ++quarter) {
        low[quarter] = _mm512_load_si512(advances.low + 64 * quarter);
        high[quarter] = _mm512_load_si512(advances.high + 64 * quarter);
    }
    const __m512i zero = _mm512_setzero_si512();
    const __m512i lows = _mm512_sad_epu8(_mm512_maskz_mov_epi8(starts, lookUp(low, bytes)), zero);
    const __m512i highs = _mm512_sad_epu8(_mm512_maskz_mov_epi8(starts, lookUp(high, bytes)), zero);
    return _mm512_reduce_add_epi64(_mm512_add_epi64(lows, _mm512_slli_epi64(highs, 8)));
}

// The steps from the piece's start up to `slot` of the stretch.
HEXMOTH_SCAN_TARGET inline qint64 stepsAt(const StretchMarks &m, int slot)
{
    const int k = slot >> 6;
    const __m512i before = _mm512_maskz_loadu_epi8(_bzhi_u64(~std::uint64_t(0), unsigned(slot & 63)), m.weights + 64 * k);
    const __m512i lanes = _mm512_load_si512(m.laneSteps + 8 * k);
    return _mm512_reduce_add_epi64(_mm512_add_epi64(lanes, _mm512_sad_epu8(before, _mm512_setzero_si512())));
}

// A piece in stretches of at most 4096 bytes, each taken in two passes.
HEXMOTH_SCAN_TARGET void scanPiece(ScanState &s, const Tables &tables, StretchMarks &m, const unsigned char *bytes, qint64 n)
{
    s.trails.resize(std::size_t(((s.scanned + n - 1) >> 6) - (s.scanned >> 6) + 1));
    s.tabs.resize(s.trails.size());
    const BlockWalker::Block block{bytes, s.scanned, s.scanned + n, s.trails.data(), s.tabs.data()};
    if (s.pendingCr) {
        s.pendingCr = false;
        beginLine(s, bytes[0] == '\n' ? block.start + 1 : block.start);
        s.lineWeight = s.weight;
        s.linePairs = s.pairs;
    }
    Avx512Marker marker(s, tables);
    const PieceWeights weights{s.weight, s.pairs, tables.byteUnit, s.pairExtra};
    for (qint64 from = block.start; from < block.end;) {
        const qint64 to = std::min(block.end, (from | (CharacterIndex::BytesPerCheckpoint - 1)) + 1);
        marker.mark(s, m, from, to, block);
        takeBreaks(s, m, weights, block, stepsAt);
        from = to;
    }
    s.weight = weights.start + weights.unit * _mm512_reduce_add_epi64(marker.steps) + weights.pairExtra * marker.trailCount;
    s.openX = 0;
    if (!s.pendingCr) {
        xAt(s, block.end, block);
        s.openX = s.walker.xPast(*s.metrics);
    }
    s.scanned = block.end;
}

// The most a pair adds beyond its lead's weight and its trail's base.
ScanState::Units pairMore(const ScanState &s, const Tables &t, int lead, int trail)
{
    const ScanState::Units leadWeight = t.byteUnit * t.byteWeights[lead];
    return ScanState::Units(s.metrics->doubleByte(std::uint8_t(lead), std::uint8_t(trail))) - s.base - (s.base + leadWeight);
}

class Kernel final : public ScanKernel
{
public:
    void prepare(ScanState &state, const ScanState::Units (&most)[256]) override;
    void boundPairs(ScanState &state) override;
    HEXMOTH_SCAN_TARGET void scanBlock(ScanState &state, const unsigned char *block, qint64 n) override;

private:
    Tables m_tables;
};

// Every single byte and a tab's stop in 255 steps.
void Kernel::prepare(ScanState &s, const ScanState::Units (&most)[256])
{
    Tables &t = m_tables;
    ScanState::Units top = s.base;
    for (int b = 0; b < 256; ++b)
        top = b == '\t' || b == '\r' || b == '\n' ? top : std::max(top, most[b]);
    const ScanState::Units tabMore = std::max<ScanState::Units>(s.tabExtra, 0);
    t.byteUnit = std::max<ScanState::Units>(1, (std::max(top - s.base, tabMore) + 254) / 255);
    const auto steps = [&](ScanState::Units more) { return std::uint8_t((more + t.byteUnit - 1) / t.byteUnit); };
    for (int b = 0; b < 256; ++b)
        t.byteWeights[b] = b == '\t' ? steps(tabMore) : b == '\r' || b == '\n' ? 0 : steps(most[b] - s.base);
    t.singlesSplit = true;
    for (int b = 0; b < 256; ++b) {
        const qint32 advance = s.metrics->single(std::uint8_t(b));
        t.singlesSplit = t.singlesSplit && advance <= 0xFFFF;
        t.splitSingles.low[b] = std::uint8_t(advance);
        t.splitSingles.high[b] = std::uint8_t(advance >> 8);
    }
}

// The trail of a pair weighs base + pairExtra + byteUnit * w, w from the
// pair's own bytes (Tables::pairTables), pairExtra what does not fit in 255
// steps. A trail may weigh less than 0, its character never does.
void Kernel::boundPairs(ScanState &s)
{
    Tables &t = m_tables;
    ScanState::Units least = std::numeric_limits<ScanState::Units>::max(), most = std::numeric_limits<ScanState::Units>::min();
    forEachCp932Pair([&](int lead, int trail) {
        least = std::min(least, pairMore(s, t, lead, trail));
        most = std::max(most, pairMore(s, t, lead, trail));
    });
    s.pairExtra = std::max(least, most - 255 * t.byteUnit);
    forEachCp932Pair([&](int lead, int trail) {
        const ScanState::Units rest = std::max<ScanState::Units>(0, pairMore(s, t, lead, trail) - s.pairExtra);
        const auto steps = std::uint8_t((rest + t.byteUnit - 1) / t.byteUnit);
        t.pairTables[0][lead] = std::max(t.pairTables[0][lead], steps);
        if (lead <= 0x83)
            t.pairTables[lead - 0x80][trail] = steps;
    });
}

HEXMOTH_SCAN_TARGET void Kernel::scanBlock(ScanState &state, const unsigned char *block, qint64 n)
{
    StretchMarks marks;
    if (m_tables.singlesSplit)
        state.walker.sumSinglesWith(singlesWidth, &m_tables.splitSingles);
    constexpr qint64 Piece = qint64(1) << 20;
    for (qint64 done = 0; done < n; done += Piece)
        scanPiece(state, m_tables, marks, block + done, std::min(Piece, n - done));
    state.walker.sumSinglesWith(nullptr, nullptr); // the kernel may go before the next block
}

} // namespace

std::unique_ptr<ScanKernel> makeKernel()
{
    return std::make_unique<Kernel>();
}

} // namespace ScanAvx512
#endif
