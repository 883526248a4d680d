#pragma once

#include "CharacterIndex.h"
#include "EncodedScan.h"
#include "LineIndex.h"
#include "TextScan.h"

#include <optional>

// The indexes a FileText keeps of its bytes, built as the bytes come in,
// so that any part of the text can be shown without reading what is before.
// Code page 932 is built by the scan path active when it is made
// (activeScanPath()), the other encodings by their EncodedScan.
class TextIndex
{
public:
    explicit TextIndex(std::shared_ptr<const TextMetrics> metrics, TextEncoding encoding = TextEncoding::Cp932)
        : m_lines(breakUnitsOf(encoding))
        , m_characters(std::move(metrics), encoding)
    {
        if (encoding != TextEncoding::Cp932)
            m_encoded.emplace(encoding);
        else if (activeScanPath() != ScanPath::Reference)
            m_scan.emplace(activeScanPath());
    }

    TextEncoding encoding() const { return m_characters.encoding(); }
    // Whether extend() takes any split of the bytes: code page 932 only;
    // the others need the whole text at hand (extendWithin()).
    bool takesBlocks() const { return !m_encoded; }

    // Takes in the next n bytes of the text.
    void extend(const char *bytes, qint64 n)
    {
        Q_ASSERT(takesBlocks());
        if (m_scan) {
            m_scan->extend(m_lines, m_characters, bytes, n);
            return;
        }
        m_lines.extend(bytes, n);
        m_characters.extend(bytes, n);
    }
    // Takes in the characters of text[0..size) that start before `to`, as
    // EncodedScan::extend(); returns where it ended.
    qint64 extendWithin(const char *text, qint64 size, qint64 to)
    {
        to = std::min(to, size);
        if (!m_encoded) {
            extend(text + m_characters.scanned(), to - m_characters.scanned());
            return to;
        }
        return m_encoded->extend(m_lines, m_characters, text, size, to);
    }

    const LineIndex &lines() const { return m_lines; }
    const CharacterIndex &characters() const { return m_characters; }

    static LineIndex::BreakUnits breakUnitsOf(TextEncoding encoding)
    {
        switch (encoding) {
        case TextEncoding::Utf16Le: return LineIndex::BreakUnits::Utf16Le;
        case TextEncoding::Utf16Be: return LineIndex::BreakUnits::Utf16Be;
        default: return LineIndex::BreakUnits::Bytes;
        }
    }

private:
    LineIndex m_lines;
    CharacterIndex m_characters;
    std::optional<TextScan> m_scan; // none: each index scans on its own (the reference)
    std::optional<EncodedScan> m_encoded;
};
