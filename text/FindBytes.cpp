#include "FindBytes.h"

#include "Cp932.h"
#include "FindKernels.h"

namespace {

const FindKernel &kernelOf(FindPath path)
{
    switch (path) {
    case FindPath::Plain: return plainFindKernel();
    case FindPath::Memchr: return memchrFindKernel();
    case FindPath::Avx2: return avx2FindKernel();
    case FindPath::Avx512: return avx512FindKernel();
    }
    return plainFindKernel();
}

} // namespace

namespace FindBytes {

qint64 first(FindPath path, const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    return pattern.size() == 0 ? -1 : kernelOf(path).first(data, size, std::max<qint64>(from, 0), std::min(to, size), pattern);
}

qint64 last(FindPath path, const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    return pattern.size() == 0 ? -1 : kernelOf(path).last(data, size, std::max<qint64>(from, 0), std::min(to, size), pattern);
}

qint64 firstCharacter(FindPath path, CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to)
{
    return kernelOf(path).firstCharacter(kind, data, size, std::max<qint64>(from, 0), std::min(to, size));
}

// The byte before a run of lead bytes ends its character; the run's
// characters then start at every other byte. An odd run's last lead byte
// takes `at` as its trail only if it is one.
std::optional<bool> startsCharacter(const std::uint8_t *data, qint64 at, qint64 reach)
{
    qint64 leads = 0;
    while (leads < at && Cp932::isLeadByte(data[at - leads - 1])) {
        if (leads == reach)
            return std::nullopt;
        ++leads;
    }
    return leads % 2 == 0 || !Cp932::isTrailByte(data[at]);
}

} // namespace FindBytes
