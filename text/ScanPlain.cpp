// The path for any processor: each chunk's masks a byte at a time.
#define HEXMOTH_SCAN_TARGET
#include "ScanChunks.h"

namespace {

struct PlainClassifier
{
    explicit PlainClassifier(const ScanState &s) : state(s) {}
    const ScanState &state;

    ChunkMasks classify(const unsigned char *chunk) const
    {
        ChunkMasks m{};
        for (int i = 0; i < 64; ++i) {
            const std::uint64_t c = state.classes[chunk[i]];
            m.weight[0] |= (c & 1) << i;
            m.weight[1] |= ((c >> 1) & 1) << i;
            m.weight[2] |= ((c >> 2) & 1) << i;
            m.weight[3] |= ((c >> 3) & 1) << i;
            m.lead |= ((c >> 4) & 1) << i;
            m.trail |= ((c >> 5) & 1) << i;
            m.tab |= ((c >> 6) & 1) << i;
            m.cr |= (c >> 7) << i;
            m.lf |= std::uint64_t(chunk[i] == '\n') << i;
        }
        return m;
    }
};

} // namespace

void scanBlockPlain(ScanState &state, const unsigned char *block, qint64 n)
{
    scanBlock<PlainClassifier>(state, block, n);
}
