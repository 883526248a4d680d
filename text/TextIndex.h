#pragma once

#include "CharacterIndex.h"
#include "LineIndex.h"
#include "TextScan.h"

#include <optional>

// The indexes a FileText keeps of its bytes, built as the bytes come in,
// so that any part of the text can be shown without reading what is before.
// Built by the scan path active when it is made (activeScanPath()).
class TextIndex
{
public:
    explicit TextIndex(std::shared_ptr<const TextMetrics> metrics) : m_characters(std::move(metrics))
    {
        if (activeScanPath() != ScanPath::Reference)
            m_scan.emplace(activeScanPath());
    }

    // Takes in the next n bytes of the text.
    void extend(const char *bytes, qint64 n)
    {
        if (m_scan) {
            m_scan->extend(m_lines, m_characters, bytes, n);
            return;
        }
        m_lines.extend(bytes, n);
        m_characters.extend(bytes, n);
    }

    const LineIndex &lines() const { return m_lines; }
    const CharacterIndex &characters() const { return m_characters; }

private:
    LineIndex m_lines;
    CharacterIndex m_characters;
    std::optional<TextScan> m_scan; // none: each index scans on its own (the reference)
};
