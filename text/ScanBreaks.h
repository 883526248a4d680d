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
    alignas(64) qint64 stepsBefore[Chunks * 8];    // summed from the piece's start to each 8-byte group
    qint32 trailsBefore[Chunks];                   // trails from the piece's start to each chunk
    std::uint16_t breaks[Chunks * 64 + 8];         // slots, in order; room for a chunk's unconditional writes
    int breakCount = 0;
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

// The steps of the first `count` (< 8) bytes at `bytes`.
HEXMOTH_SCAN_TARGET inline qint64 leadingSteps(const std::uint8_t *bytes, int count)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    word = count == 0 ? 0 : word & (~std::uint64_t(0) >> (64 - 8 * count));
    // At most 7 * 255: 16 bits hold each pair and the total.
    const std::uint64_t pairs = (word & 0x00FF00FF00FF00FFULL) + ((word >> 8) & 0x00FF00FF00FF00FFULL);
    return qint64((pairs * 0x0001000100010001ULL) >> 48);
}

// Every break of the stretch, after its character checkpoint if it starts
// one; the open line's weight is left at its start.
HEXMOTH_SCAN_TARGET inline void takeBreaks(ScanState &s, const StretchMarks &m, const PieceWeights &w, const BlockWalker::Block &block)
{
    if (m.base % CharacterIndex::BytesPerCheckpoint == 0 && m.base >= block.start) {
        // A checkpoint on the trail of a double-byte character is at its lead.
        const qint64 onTrail = qint64(block.trails[m.firstWord] & 1);
        const qint64 start = m.base - onTrail;
        const BlockWalker::Units x = start < s.lastStart ? 0 : xAt(s, start, block); // the LF of a CR LF is at 0
        s.newCharacterCheckpoints.push_back({onTrail == 0, m.characters - onTrail, x});
    }
    for (int b = 0; b < m.breakCount; ++b) {
        const int slot = m.breaks[b];
        const int chunk = slot >> 6;
        const qint64 trails = m.trailsBefore[chunk] + bitCount(block.trails[m.firstWord + std::size_t(chunk)] & ((std::uint64_t(1) << (slot & 63)) - 1));
        const qint64 steps = m.stepsBefore[slot >> 3] + leadingSteps(m.weights + (slot & ~7), slot & 7);
        const qint64 weight = w.start + w.unit * steps + w.pairExtra * trails;
        const qint64 pairs = w.pairsBefore + trails;
        const qint64 end = m.base + slot;
        // No character weighs less than 0 and a break weighs 0: the weight
        // before a break is also that at the next line's start.
        const BlockWalker::Units bound = s.base * (end - s.lastStart) + weight - s.lineWeight;
        if (bound > s.widest || (!s.pairsBounded && pairs > s.linePairs) || s.lineUnbounded)
            s.widest = std::max(s.widest, xAt(s, end, block));
        s.lineWeight = weight;
        s.linePairs = pairs;
        const bool afterCr = block.bytes[end - block.start] == '\r';
        nextLine(s, end, afterCr, block); // false only for the block's last byte
    }
}

} // namespace
