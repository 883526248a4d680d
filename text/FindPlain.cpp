// The reference: every start, every byte, one at a time.
#include "FindKernels.h"

namespace {

qint64 first(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    const qint64 end = FindKernels::startsEnd(size, to, pattern);
    for (qint64 p = from; p < end; ++p)
        if (pattern.matches(data + p))
            return p;
    return -1;
}

qint64 last(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    for (qint64 p = FindKernels::startsEnd(size, to, pattern) - 1; p >= from; --p)
        if (pattern.matches(data + p))
            return p;
    return -1;
}

} // namespace

const FindKernel &plainFindKernel()
{
    static const FindKernel kernel{first, last, FindKernels::walkCharacters};
    return kernel;
}
