#pragma once

#include "Cp932.h"
#include "ScanState.h"

#include <QtGlobal>

// One encoding's scan through one instruction-set path: ScanState's
// arithmetic, fed by the path's own classification of each 64-byte chunk
// and weighed with the path's own tables, which it keeps here.
class ScanKernel
{
public:
    virtual ~ScanKernel() = default;

    // The state's weights are set (TextScan): the path's tables from
    // them. most[b]: the most byte b adds to its line as a character of
    // its own.
    virtual void prepare(ScanState &, const ScanState::Units (&)[256]) {}
    // Every double-byte advance is known: state.pairExtra, and the path's
    // tables of pairs.
    virtual void boundPairs(ScanState &state) = 0;
    // One block, n > 0.
    virtual void scanBlock(ScanState &state, const unsigned char *block, qint64 n) = 0;
};

// boundPairs for the paths that weigh a pair by its lead byte's class
// weight: pairExtra the most any pair adds beyond that.
void boundPairsByLead(ScanState &state);

// f(lead, trail) for every double-byte character of code page 932.
template<class F>
void forEachCp932Pair(F &&f)
{
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (Cp932::isLeadByte(std::uint8_t(lead)) && Cp932::isTrailByte(std::uint8_t(trail)))
                f(lead, trail);
}
