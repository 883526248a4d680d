#pragma once

#include "CharacterIndex.h"
#include "LineIndex.h"

// The indexes a FileText keeps of its bytes, built as the bytes come in,
// so that any part of the text can be shown without reading what is before.
class TextIndex
{
public:
    explicit TextIndex(std::shared_ptr<const TextMetrics> metrics) : m_characters(std::move(metrics)) {}

    // Takes in the next n bytes of the text.
    void extend(const char *bytes, qint64 n)
    {
        m_lines.extend(bytes, n);
        m_characters.extend(bytes, n);
    }

    const LineIndex &lines() const { return m_lines; }
    const CharacterIndex &characters() const { return m_characters; }

private:
    LineIndex m_lines;
    CharacterIndex m_characters;
};
