// The scan of a block in 64-byte chunks, shared by every path (the AVX-512
// one takes its breaks in a pass of their own, ScanBreaks.h, with the
// helpers here). Included by each path's file, outside its namespace,
// after it defines HEXMOTH_SCAN_TARGET (the target attribute its functions
// are compiled with, from ScanFeatures.h); the path then defines a
// classifier, and its kernel is a ChunkKernel of it:
//   struct Classifier {
//       explicit Classifier(const ScanState &state);
//       // The chunk's masks; `previous` is the byte before it.
//       ChunkMasks classify(const unsigned char *chunk, std::uint8_t previous);
//       // The bound (ScanState) less base per byte, of the chunk last
//       // classified, whose double-byte characters end at `trails`:
//       void weigh(const ChunkMasks &m, std::uint64_t trails, std::uint64_t valid);
//       // summed over the text from ScanState::weight at the block's start
//       // up to the chunk, and over its bytes in `mask`;
//       qint64 weightThrough(std::uint64_t mask) const;
//       // the chunk's own added to the sum before the next.
//       void pass();
//   };
//   PlaneWeigher does the last three for a classifier that fills
//   ChunkMasks::tab and ChunkMasks::weight.
// Everything here has internal linkage, so each path gets its own copy
// built for its own instructions. HEXMOTH_SCAN_NO_POPCNT: the target may
// lack the popcnt instruction.
#pragma once

#include "CharacterIndex.h"
#include "LineIndex.h"
#include "ScanFeatures.h"
#include "ScanKernel.h"
#include "ScanState.h"

#include <algorithm>
#include <bit>
#include <cstring>

#ifndef HEXMOTH_SCAN_TARGET
#error "define HEXMOTH_SCAN_TARGET before including ScanChunks.h"
#endif

namespace {

// Bit i stands for byte i of the chunk.
struct ChunkMasks
{
    std::uint64_t lead;  // lead-capable
    std::uint64_t trail; // trail-capable
    std::uint64_t tab;
    std::uint64_t cr;
    std::uint64_t lf;
    std::uint64_t weight[4]; // for PlaneWeigher: bit planes of classes[byte] & WeightBits
};

// Bits set in x. Where the path's target has no popcnt instruction, by
// arithmetic rather than a call per count into the compiler's library.
HEXMOTH_SCAN_TARGET inline int bitCount(std::uint64_t x)
{
#if defined(HEXMOTH_SCAN_NO_POPCNT) && (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
#else
    return std::popcount(x);
#endif
}

// Bit `bit` of each of the 8 bytes of `word`, as 8 bits.
HEXMOTH_SCAN_TARGET inline std::uint64_t gatherBit(std::uint64_t word, int bit)
{
    return (((word >> bit) & 0x0101010101010101ULL) * 0x0102040810204080ULL) >> 56;
}

// The classes of 8 bytes, a byte each.
HEXMOTH_SCAN_TARGET inline std::uint64_t classesOf(const unsigned char *bytes, const std::uint8_t *classes)
{
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word |= std::uint64_t(classes[bytes[i]]) << (8 * i);
    return word;
}

// Adds the width weights of the 8 bytes whose classes are `classes`, bytes
// `at` to `at` + 7 of the chunk.
HEXMOTH_SCAN_TARGET inline void addWeights(ChunkMasks &masks, std::uint64_t classes, int at)
{
    for (int bit = 0; bit < 4; ++bit)
        masks.weight[bit] |= gatherBit(classes, bit) << at;
}

constexpr std::uint64_t EvenBits = 0x5555555555555555ULL;
constexpr std::uint64_t OddBits = ~EvenBits;

// The bound's sum (ScanState) less base per byte, for the paths that weigh
// bytes by the bit planes of their classes (ChunkMasks::weight).
struct PlaneWeigher
{
    HEXMOTH_SCAN_TARGET explicit PlaneWeigher(const ScanState &state) : s(state), running(state.weight) {}
    const ScanState &s;
    qint64 running; // up to the chunk in hand
    std::uint64_t planes[4]{};
    std::uint64_t tab = 0;
    std::uint64_t trails = 0;

    HEXMOTH_SCAN_TARGET void weigh(const ChunkMasks &m, std::uint64_t chunkTrails, std::uint64_t valid)
    {
        const std::uint64_t single = valid & ~chunkTrails;
        for (int bit = 0; bit < 4; ++bit)
            planes[bit] = m.weight[bit] & single;
        tab = m.tab & valid;
        trails = chunkTrails;
    }
    HEXMOTH_SCAN_TARGET qint64 weightThrough(std::uint64_t mask) const
    {
        const qint64 steps = qint64(bitCount(planes[0] & mask)) + (qint64(bitCount(planes[1] & mask)) << 1)
                             + (qint64(bitCount(planes[2] & mask)) << 2) + (qint64(bitCount(planes[3] & mask)) << 3);
        return running + s.unit * steps + s.tabExtra * bitCount(tab & mask) + s.pairExtra * bitCount(trails & mask);
    }
    HEXMOTH_SCAN_TARGET void pass() { running = weightThrough(~std::uint64_t(0)); }
};

HEXMOTH_SCAN_TARGET inline BlockWalker::Units xAt(ScanState &s, qint64 target, const BlockWalker::Block &block)
{
    if (s.walker.position() < s.lastStart)
        s.walker.restart(s.lastStart);
    return s.walker.walkTo(target, block, *s.metrics);
}

HEXMOTH_SCAN_TARGET inline void beginLine(ScanState &s, qint64 start)
{
    const qint64 line = s.knownLines++;
    s.lastStart = start;
    s.lineUnbounded = false;
    if (line % LineIndex::LinesPerCheckpoint == 0 || start - s.lastCheckpoint >= LineIndex::BytesPerCheckpoint) {
        s.newLineCheckpoints.push_back({LineNumber(line), BytePosition(start)});
        s.lastCheckpoint = start;
    }
}

// The line from s.lastStart ends at `end`, a break; the next starts after
// it, unless it is a CR that ends the block.
HEXMOTH_SCAN_TARGET inline bool nextLine(ScanState &s, qint64 end, bool afterCr, const BlockWalker::Block &block)
{
    s.longest = std::max(s.longest, end - s.lastStart);
    qint64 start = end + 1;
    if (afterCr & (start == block.end)) {
        s.pendingCr = true; // an LF may come with the next block
        return false;
    }
    // Without a branch on CR or LF, which alternate at random in some texts.
    start += afterCr & (block.bytes[std::min(start, block.end - 1) - block.start] == '\n');
    beginLine(s, start);
    return true;
}

// The lead bytes that start double-byte characters, of the lead-capable
// bytes `lead`; `open`: a lead byte left open just before bit 0. A run of
// lead-capable bytes pairs up from its first byte; a run that goes on from
// a lead byte left open starts "odd". Adding the odd starts clears exactly
// the runs they start.
HEXMOTH_SCAN_TARGET inline std::uint64_t leadStartsOf(std::uint64_t lead, std::uint64_t open)
{
    const std::uint64_t runStarts = lead & ~(lead << 1);
    const std::uint64_t oddStarts = (runStarts & OddBits) | (open & lead);
    const std::uint64_t oddRuns = lead & ~(lead + oddStarts);
    const std::uint64_t seconds = (oddRuns & EvenBits) | (lead & ~oddRuns & OddBits);
    return lead & ~seconds;
}

// The character checkpoint at `at`, a chunk's start after `characters`
// characters; bit 0 of `trails`: the byte there is a trail. A checkpoint on
// the trail of a double-byte character is at its lead.
HEXMOTH_SCAN_TARGET inline void checkpointCharacters(ScanState &s, qint64 at, qint64 characters, std::uint64_t trails,
                                                     const BlockWalker::Block &block)
{
    const qint64 onTrail = qint64(trails & 1);
    const qint64 start = at - onTrail;
    const BlockWalker::Units x = start < s.lastStart ? 0 : xAt(s, start, block); // the LF of a CR LF is at 0
    s.newCharacterCheckpoints.push_back({BytePosition(start), CharacterCount(characters - onTrail), XUnits(x)});
}

// What the breaks of a chunk need of it.
struct ChunkBits
{
    std::uint64_t valid;
    std::uint64_t trails;
    std::uint64_t cr;
    qint64 at;
    int length;
};

// The open line ends at the break i bytes into the chunk: measured where
// its bound beats the widest line so far.
template<class Classifier>
[[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline void boundLine(ScanState &s, const Classifier &classifier, const ChunkBits &c, int i,
                                                                 const BlockWalker::Block &block)
{
    const qint64 end = c.at + i;
    const std::uint64_t before = (std::uint64_t(1) << i) - 1;
    const qint64 weight = classifier.weightThrough(before);
    const qint64 pairs = s.pairs + bitCount(c.trails & before);
    const BlockWalker::Units bound = s.base * (end - s.lastStart) + weight - s.lineWeight;
    if (bound > s.widest || (!s.pairsBounded && pairs > s.linePairs) || s.lineUnbounded)
        s.widest = std::max(s.widest, xAt(s, end, block));
    s.lineWeight = weight; // a break adds none
    s.linePairs = pairs;
}

// The first line to end in the chunk may have begun chunks before: its
// bound is always checked. The others lie in this chunk, and no character
// (nor a lead byte alone) weighs less than 0, so none is wider than the
// bound of all from the second line's start to the chunk's end: mostly,
// none of them need be measured.
template<class Classifier>
[[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline void takeChunkBreaks(ScanState &s, const Classifier &classifier, std::uint64_t breaks,
                                                                       const ChunkBits &c, const BlockWalker::Block &block)
{
    bool measure = true;
    bool current = false; // s.lineWeight is that of the open line
    for (bool first = true; breaks != 0; breaks &= breaks - 1) {
        const int i = std::countr_zero(breaks);
        current = measure;
        if (measure)
            boundLine(s, classifier, c, i, block);
        if (!nextLine(s, c.at + i, (c.cr >> i) & 1, block))
            break;
        if (first) {
            first = false;
            const BlockWalker::Units rest = s.base * (c.at + c.length - s.lastStart) + classifier.weightThrough(c.valid) - s.lineWeight;
            measure = rest > s.widest || (!s.pairsBounded && c.trails != 0);
        }
    }
    if (!s.pendingCr && !current) { // else the next block starts the next line
        const qint64 first = s.lastStart - c.at;
        const std::uint64_t before = first >= c.length ? c.valid : (std::uint64_t(1) << first) - 1;
        s.lineWeight = classifier.weightThrough(before);
        s.linePairs = s.pairs + bitCount(c.trails & before);
    }
}

template<class Classifier>
[[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline void scanChunk(ScanState &s, Classifier &classifier, const ChunkMasks &m, qint64 at, int length,
                                                                 const BlockWalker::Block &block)
{
    const std::uint64_t valid = length == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << length) - 1;
    const std::uint64_t leadStarts = leadStartsOf(m.lead & valid, s.openLead);
    const std::uint64_t trails = ((leadStarts << 1) | s.openLead) & m.trail & valid; // second bytes of double-byte characters
    const std::uint64_t cr = m.cr & valid;
    const std::uint64_t lf = m.lf & valid;
    const std::uint64_t crLf = lf & ((cr << 1) | s.previousCr);
    classifier.weigh(m, trails, valid);
    const auto word = std::size_t((at >> 6) - (block.start >> 6));
    s.trails[word] = trails << (at & 63);
    s.tabs[word] = (m.tab & valid) << (at & 63);
    if (at % CharacterIndex::BytesPerCheckpoint == 0)
        checkpointCharacters(s, at, s.characters, trails, block);
    if (const std::uint64_t breaks = cr | (lf & ~crLf); breaks != 0)
        takeChunkBreaks(s, classifier, breaks, ChunkBits{valid, trails, cr, at, length}, block);

    classifier.pass();
    s.characters += bitCount(valid & ~trails) - bitCount(crLf);
    s.pairs += bitCount(trails);
    s.openLead = (leadStarts >> (length - 1)) & 1;
    s.previousCr = (cr >> (length - 1)) & 1;
    s.previousByte = block.bytes[at + length - 1 - block.start];
}

template<class Classifier>
HEXMOTH_SCAN_TARGET inline void scanPiece(ScanState &s, const unsigned char *bytes, qint64 n)
{
    s.trails.resize(std::size_t(((s.scanned + n - 1) >> 6) - (s.scanned >> 6) + 1));
    s.tabs.resize(s.trails.size());
    const BlockWalker::Block block{bytes, s.scanned, s.scanned + n, s.trails.data(), s.tabs.data()};
    Classifier classifier(s);
    if (s.pendingCr) {
        s.pendingCr = false;
        beginLine(s, bytes[0] == '\n' ? block.start + 1 : block.start);
        s.lineWeight = s.weight;
        s.linePairs = s.pairs;
    }
    // Chunks at multiples of 64 in the text, so that every checkpoint starts one.
    for (qint64 at = block.start; at < block.end;) {
        const int length = int(std::min<qint64>(64 - (at & 63), block.end - at));
        const unsigned char *chunk = bytes + (at - block.start);
        if (length == 64) {
            const ChunkMasks masks = classifier.classify(chunk, s.previousByte);
            scanChunk(s, classifier, masks, at, 64, block);
        } else {
            alignas(64) unsigned char copy[64] = {};
            std::memcpy(copy, chunk, std::size_t(length));
            const ChunkMasks masks = classifier.classify(copy, s.previousByte);
            scanChunk(s, classifier, masks, at, length, block);
        }
        at += length;
    }
    s.weight = classifier.weightThrough(0);
    s.openX = 0;
    if (!s.pendingCr) {
        xAt(s, block.end, block);
        s.openX = s.walker.xPast(*s.metrics);
    }
    s.scanned = block.end;
}

// In pieces of at most a mebibyte, so that the masks kept for the walker
// stay small however long the blocks.
template<class Classifier>
HEXMOTH_SCAN_TARGET inline void scanBlockWith(ScanState &s, const unsigned char *bytes, qint64 n)
{
    constexpr qint64 Piece = qint64(1) << 20;
    for (qint64 done = 0; done < n; done += Piece)
        scanPiece<Classifier>(s, bytes + done, std::min(Piece, n - done));
}

// The kernel of a path that classifies chunk by chunk and weighs a pair by
// its lead byte.
template<class Classifier>
class ChunkKernel final : public ScanKernel
{
public:
    void boundPairs(ScanState &state) override { boundPairsByLead(state); }
    HEXMOTH_SCAN_TARGET void scanBlock(ScanState &state, const unsigned char *block, qint64 n) override
    {
        scanBlockWith<Classifier>(state, block, n);
    }
};

} // namespace
