// The second of the two passes over a stretch of text: the first (a vector
// path's) has left every byte's weight, the breaks in order and the running
// sums in a StretchMarks; this one takes the breaks alone, a line at a
// time, with the arithmetic of ScanChunks.h. Included after ScanChunks.h,
// with its HEXMOTH_SCAN_TARGET.
#pragma once

#include "ScanChunks.h"

namespace {

// One stretch of at most 4096 bytes that ends at a multiple of 4096 in the
// text (or at its piece's end), so that a character checkpoint can only
// fall on its first byte. Slot t stands for the byte at `base` + t, base a
// multiple of 64.
struct StretchMarks
{
    static constexpr int Chunks = 64;
    alignas(64) std::uint8_t weights[Chunks * 64]; // each byte's steps of byteUnit; 0 outside the stretch
    alignas(64) qint64 laneSteps[Chunks * 8];      // summed from the piece's start to each chunk, in 8 parts
    qint32 trailsBefore[Chunks + 1];               // trails from the piece's start to each chunk, and to the end
    std::uint16_t breaks[Chunks * 64 + 8];         // slots, in order; room for a chunk's unconditional writes
    int breakCount = 0;
    int chunks = 0;
    qint64 base = 0;
    std::size_t firstWord = 0; // of base, in ScanState::trails
    qint64 characters = 0;     // before the stretch
};

// What the weights of a piece add to: ScanState::weight at its start, and
// the bound per step and per trail.
struct PieceWeights
{
    qint64 start;
    qint64 pairsBefore; // ScanState::pairs at the piece's start
    qint64 unit;
    qint64 pairExtra;
};

// The line state the breaks change, held apart from ScanState so that it
// stays in registers; written back before a walk, which reads it.
struct OpenLine
{
    HEXMOTH_SCAN_TARGET explicit OpenLine(const ScanState &s)
        : start(s.lastStart), weight(s.lineWeight), pairs(s.linePairs), lines(s.knownLines), lastCheckpoint(s.lastCheckpoint)
        , longest(s.longest), widest(s.widest), unbounded(s.lineUnbounded)
    {
    }
    HEXMOTH_SCAN_TARGET void store(ScanState &s) const
    {
        s.lastStart = start;
        s.lineWeight = weight;
        s.linePairs = pairs;
        s.knownLines = lines;
        s.lastCheckpoint = lastCheckpoint;
        s.longest = longest;
        s.widest = widest;
        s.lineUnbounded = unbounded;
    }
    qint64 start;
    qint64 weight;
    qint64 pairs;
    qint64 lines;
    qint64 lastCheckpoint;
    qint64 longest;
    BlockWalker::Units widest;
    bool unbounded;
};

// The break at slot `slot` of the stretch: as beginLine and nextLine do.
// False where it is a CR that ends the block. stepsAt(m, slot): the steps
// from the piece's start up to the slot. Trails: whether the stretch holds
// any; where it does not, none is counted.
template<bool Trails, class StepsAt>
[[gnu::always_inline]] HEXMOTH_SCAN_TARGET inline bool takeBreak(ScanState &s, OpenLine &line, const StretchMarks &m, int slot,
                                                                const PieceWeights &w, const BlockWalker::Block &block, StepsAt stepsAt)
{
    const int chunk = slot >> 6;
    const std::uint64_t before = (std::uint64_t(1) << (slot & 63)) - 1;
    const qint64 trails = Trails ? m.trailsBefore[chunk] + bitCount(block.trails[m.firstWord + std::size_t(chunk)] & before) : m.trailsBefore[0];
    const qint64 steps = stepsAt(m, slot);
    const qint64 weight = w.start + w.unit * steps + w.pairExtra * trails;
    const qint64 pairs = w.pairsBefore + trails;
    const qint64 end = m.base + slot;
    // No character weighs less than 0 and a break weighs 0: the weight
    // before a break is also that at the next line's start.
    const BlockWalker::Units bound = s.base * (end - line.start) + weight - line.weight;
    if (bound > line.widest || (!s.pairsBounded && pairs > line.pairs) || line.unbounded) [[unlikely]] {
        s.lastStart = line.start;
        line.widest = std::max(line.widest, xAt(s, end, block));
    }
    line.weight = weight;
    line.pairs = pairs;
    line.longest = std::max(line.longest, end - line.start);
    const bool afterCr = block.bytes[end - block.start] == '\r';
    qint64 start = end + 1;
    if (afterCr & (start == block.end)) [[unlikely]] {
        s.pendingCr = true; // an LF may come with the next block
        return false;
    }
    start += afterCr & (block.bytes[std::min(start, block.end - 1) - block.start] == '\n');
    const qint64 number = line.lines++;
    line.start = start;
    line.unbounded = false;
    if (number % LineIndex::LinesPerCheckpoint == 0 || start - line.lastCheckpoint >= LineIndex::BytesPerCheckpoint) [[unlikely]] {
        s.newLineCheckpoints.push_back({LineNumber(number), BytePosition(start)});
        line.lastCheckpoint = start;
    }
    return true;
}

// Every break of the stretch, after its character checkpoint if it starts
// one; the open line's weight is left at its start.
template<class StepsAt>
HEXMOTH_SCAN_TARGET inline void takeBreaks(ScanState &s, const StretchMarks &m, const PieceWeights &w, const BlockWalker::Block &block,
                                           StepsAt stepsAt)
{
    if (m.base % CharacterIndex::BytesPerCheckpoint == 0 && m.base >= block.start)
        checkpointCharacters(s, m.base, m.characters, block.trails[m.firstWord], block);
    OpenLine line(s);
    if (m.trailsBefore[m.chunks] == m.trailsBefore[0]) {
        for (int b = 0; b < m.breakCount && takeBreak<false>(s, line, m, m.breaks[b], w, block, stepsAt); ++b) {
        }
    } else {
        for (int b = 0; b < m.breakCount && takeBreak<true>(s, line, m, m.breaks[b], w, block, stepsAt); ++b) {
        }
    }
    line.store(s);
}

} // namespace
