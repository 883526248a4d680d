#pragma once

#include "CharacterBoundaries.h"
#include "LineIndex.h"

// The indexes a FileText keeps of its bytes, built as the bytes come in,
// so that any part of the text can be shown without reading what is before.
class TextIndex
{
public:
    // Takes in text[scanned .. size); `text` holds every byte so far.
    void extend(const char *text, qint64 size)
    {
        m_lines.extend(text, size);
        m_boundaries.extend(text, size);
    }

    const LineIndex &lines() const { return m_lines; }
    const CharacterBoundaries &boundaries() const { return m_boundaries; }

private:
    LineIndex m_lines;
    CharacterBoundaries m_boundaries;
};
