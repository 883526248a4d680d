#pragma once

#include <algorithm>
#include <cstring>

// Finds the line breaks (CR or LF bytes) of text[from, end) in order, with
// memchr. Each of the two bytes is searched for once past every position, so
// walking through all breaks of a region costs two memchr passes over it,
// whatever mix of CR, LF and CR LF it holds.
class BreakFinder
{
public:
    explicit BreakFinder(const char *end) : m_end(end) {}

    // The first CR or LF at or after `from`, or end when there is none.
    // Successive calls must not go backwards.
    const char *next(const char *from)
    {
        if (!m_lf || m_lf < from)
            m_lf = find(from, '\n');
        if (!m_cr || m_cr < from)
            m_cr = find(from, '\r');
        return std::min(m_cr, m_lf);
    }

private:
    const char *find(const char *from, char byte) const
    {
        const void *found = std::memchr(from, byte, std::size_t(m_end - from));
        return found ? static_cast<const char *>(found) : m_end;
    }

    const char *m_end;
    const char *m_cr = nullptr;
    const char *m_lf = nullptr;
};
