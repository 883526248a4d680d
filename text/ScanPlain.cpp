// The path for any processor: each chunk's masks 8 bytes at a time, the
// bits gathered by multiplication.
#define HEXMOTH_SCAN_TARGET
#define HEXMOTH_SCAN_NO_POPCNT
#include "ScanChunks.h"

namespace ScanPlain {
namespace {

struct PlainClassifier : PlaneWeigher
{
    explicit PlainClassifier(const ScanState &state) : PlaneWeigher(state) {}

    ChunkMasks classify(const unsigned char *chunk, std::uint8_t) const
    {
        ChunkMasks m{};
        for (int i = 0; i < 64; i += 8) {
            const std::uint64_t c = classesOf(chunk + i, s.classes);
            addWeights(m, c, i);
            m.lead |= gatherBit(c, 4) << i;
            m.trail |= gatherBit(c, 5) << i;
            m.tab |= gatherBit(c, 6) << i;
            m.cr |= gatherBit(c, 7) << i;
            // LF bytes are zero after the xor: the only ones whose top bit
            // stays clear here.
            std::uint64_t word;
            std::memcpy(&word, chunk + i, 8);
            word ^= 0x0A0A0A0A0A0A0A0AULL;
            const std::uint64_t nonZero = ((word & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | word;
            m.lf |= gatherBit(~nonZero, 7) << i;
        }
        return m;
    }
};

} // namespace

std::unique_ptr<ScanKernel> makeKernel()
{
    return std::make_unique<ChunkKernel<PlainClassifier>>();
}

} // namespace ScanPlain
