#pragma once

#include "BlockWalker.h"
#include "CharacterIndex.h"
#include "LineIndex.h"
#include "TextMetrics.h"

#include <QtGlobal>
#include <cstdint>
#include <vector>

// What the scan of a text (TextScan) carries from block to block,
// and the tables it reads. Each block is taken in 64-byte chunks: a vector
// path turns a chunk into bit masks (ChunkMasks), and the same bit
// arithmetic then finds the line breaks, the character starts and the
// counts; x is added up by a BlockWalker only where it is needed. A path's
// own tables are its kernel's (ScanKernel).
struct ScanState
{
    using Units = qint64; // XUnits, added up as plain numbers

    // classes[byte]: bits 0-3 its weight q (below), then these.
    enum : std::uint8_t { WeightBits = 0x0F, Lead = 0x10, Trail = 0x20, Tab = 0x40, Cr = 0x80 };

    const TextMetrics *metrics = nullptr;
    alignas(64) std::uint8_t classes[256]{};
    std::uint8_t highWeight = 0; // the largest weight of bytes 80-FF
    // A line of n bytes, with q summed over its single-byte characters, t
    // tabs and p double-byte characters, is at most
    //   base * n + unit * q + tabExtra * t + pairExtra * p
    // wide (pairExtra as the path weighs pairs, ScanKernel::boundPairs);
    // only a line whose bound beats the widest so far is measured.
    // No character adds less than 0. Until every
    // double-byte advance is known (pairsBounded), a line with one is
    // always measured.
    Units base = 0;
    Units unit = 1;
    Units tabExtra = 0;
    Units pairExtra = 0;
    bool pairsBounded = false;
    // The open line began before the weights of pairs were known, so its
    // bound is not: it is measured.
    bool lineUnbounded = false;

    qint64 scanned = 0;

    // The line index (as LineIndex keeps it).
    qint64 knownLines = 1;
    qint64 lastStart = 0;
    qint64 longest = 0;
    qint64 lastCheckpoint = 0;
    bool pendingCr = false;

    // The character index (as CharacterIndex keeps it).
    qint64 characters = 0;
    Units widest = 0;
    Units openX = 0; // of the open line, up to the end

    // Taken out by TextScan after each block.
    std::vector<LineIndex::Checkpoint> newLineCheckpoints;
    std::vector<CharacterIndex::Checkpoint> newCharacterCheckpoints;

    // The last byte taken in: a lead byte that starts a character; a CR.
    std::uint64_t openLead = 0;
    std::uint64_t previousCr = 0;
    std::uint8_t previousByte = 0;
    // The bound less base per byte, and the double-byte characters, summed
    // up to the last chunk, and up to the open line's start.
    qint64 weight = 0;
    qint64 pairs = 0;
    qint64 lineWeight = 0;
    qint64 linePairs = 0;
    BlockWalker walker;
    std::vector<std::uint64_t> trails; // of the block in hand, for the walker
    std::vector<std::uint64_t> tabs;
};
