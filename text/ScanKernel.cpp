#include "ScanKernel.h"

#include <algorithm>
#include <limits>

void boundPairsByLead(ScanState &s)
{
    ScanState::Units most = std::numeric_limits<ScanState::Units>::min();
    forEachCp932Pair([&](int lead, int trail) {
        const ScanState::Units leadWeight = s.unit * (s.classes[lead] & ScanState::WeightBits);
        const ScanState::Units advance = s.metrics->doubleByte(std::uint8_t(lead), std::uint8_t(trail));
        most = std::max(most, advance - s.base - (s.base + leadWeight));
    });
    s.pairExtra = most;
}
