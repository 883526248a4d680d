#pragma once

#include "ScanKernel.h"
#include "ScanPath.h"
#include "ScanState.h"

#include <memory>

class CharacterIndex;
class LineIndex;

// Builds a text's LineIndex and CharacterIndex in one pass over each block,
// by one of the vector paths (ScanPath, not Reference), to exactly the
// state their own byte-at-a-time extend() would give them, for any bytes
// in any blocks. Both indexes must be taken in by this scan alone.
class TextScan
{
public:
    explicit TextScan(ScanPath path);

    ScanPath path() const { return m_path; }
    // Takes in the next n bytes into both indexes.
    void extend(LineIndex &lines, CharacterIndex &characters, const char *bytes, qint64 n);

private:
    void prepare(const TextMetrics &metrics);
    // Once every double-byte advance is known.
    void boundPairs();
    // Measures the advances of one more lead byte's pairs.
    void measureMorePairs(const TextMetrics &metrics);

    ScanPath m_path;
    std::unique_ptr<ScanKernel> m_kernel; // code page 932's, of the path
    bool m_prepared = false;
    int m_nextLead = 0x81; // the next lead byte whose advances to measure
    ScanState m_state;
};
