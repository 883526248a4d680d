#include "CharacterBoundaries.h"

#include "Cp932.h"

void CharacterBoundaries::extend(const char *text, qint64 size)
{
    for (qint64 p = qint64(m_strideStarts.size()) * Stride; p < size; p += Stride)
        m_strideStarts.push_back(p == 0 || startsCharacter(text, p));
    m_scanned = size;
}

// Whether the Stride-th byte at `offset` starts a character, given the one
// recorded Stride bytes before it.
bool CharacterBoundaries::startsCharacter(const char *text, qint64 offset) const
{
    const qint64 previous = offset - Stride;
    qint64 q = offset - 1;
    while (q >= previous && Cp932::isLeadByte(std::uint8_t(text[q])))
        --q;
    // Every byte from runStart up to offset can be a lead byte, and runStart
    // starts a character: they pair up from there.
    qint64 runStart = q + 1;
    if (q < previous)
        runStart = m_strideStarts.back() ? previous : previous + 1;
    const bool leadBefore = (offset - runStart) % 2 == 1;
    return !leadBefore || !Cp932::isTrailByte(std::uint8_t(text[offset]));
}

qint64 CharacterBoundaries::characterStart(const char *text, qint64 offset) const
{
    if (offset >= m_scanned)
        return m_scanned;
    const qint64 stride = offset / Stride;
    qint64 start = stride * Stride + (m_strideStarts[std::size_t(stride)] ? 0 : 1);
    if (start > offset)
        return offset - 1; // the trail byte of the character before
    for (;;) {
        const qint64 next = start + Cp932::characterLength(text + start, m_scanned - start);
        if (next > offset)
            return start;
        start = next;
    }
}
