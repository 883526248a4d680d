// The C library's memchr and memrchr find each candidate's first fixed
// byte; the character walk skips ASCII eight bytes at a time.
#include "FindKernels.h"

#include <cstring>

namespace {

qint64 first(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    const qint64 end = FindKernels::startsEnd(size, to, pattern);
    const qint64 k = FindKernels::firstFixed(pattern);
    if (k < 0 || from >= end)
        return from < end ? from : -1;
    const bool exact = !FindKernels::hasAny(pattern);
    for (qint64 p = from; p < end;) {
        const void *hit = std::memchr(data + p + k, pattern.bytes[std::size_t(k)], std::size_t(end - p));
        if (!hit)
            return -1;
        p = static_cast<const std::uint8_t *>(hit) - data - k;
        if (FindKernels::matchesAt(pattern, exact, data + p))
            return p;
        ++p;
    }
    return -1;
}

qint64 last(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    qint64 end = FindKernels::startsEnd(size, to, pattern);
    const qint64 k = FindKernels::firstFixed(pattern);
    if (k < 0 || from >= end)
        return from < end ? end - 1 : -1;
    const bool exact = !FindKernels::hasAny(pattern);
    while (end > from) {
        const void *hit = ::memrchr(data + from + k, pattern.bytes[std::size_t(k)], std::size_t(end - from));
        if (!hit)
            return -1;
        const qint64 p = static_cast<const std::uint8_t *>(hit) - data - k;
        if (FindKernels::matchesAt(pattern, exact, data + p))
            return p;
        end = p;
    }
    return -1;
}

qint64 firstCharacter(CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to)
{
    constexpr std::uint64_t High = 0x8080808080808080ull;
    const CharacterKinds &kinds = CharacterKinds::instance();
    for (qint64 p = from; p < to;) {
        std::uint64_t word;
        if (to - p >= 8 && (std::memcpy(&word, data + p, 8), (word & High) == 0)) {
            p += 8; // ASCII: eight characters of their own, all defined
            continue;
        }
        for (const qint64 stop = std::min(to, p + 8); p < stop;) {
            const qint64 length = Cp932::characterLength(reinterpret_cast<const char *>(data + p), size - p);
            if (kinds.is(kind, data + p, length))
                return p;
            p += length;
        }
    }
    return -1;
}

} // namespace

const FindKernel &memchrFindKernel()
{
    static const FindKernel kernel{first, last, firstCharacter};
    return kernel;
}
