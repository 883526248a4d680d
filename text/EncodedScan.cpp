#include "EncodedScan.h"

#include <algorithm>

EncodedScan::EncodedScan(TextEncoding encoding)
    : m_codec(textCodec(encoding))
    , m_asciiBytes(encoding == TextEncoding::Utf8 || encoding == TextEncoding::EucJp)
{
}

EncodedScan::Character EncodedScan::characterAt(const char *text, qint64 size, qint64 at) const
{
    const auto b = std::uint8_t(text[at]);
    if (m_asciiBytes && b < 0x80)
        return {1, b, b == '\n' || b == '\r'};
    const DecodedCharacter c = m_codec.characterAt(text + at, qsizetype(size - at));
    return {c.length, c.codePoint, c.valid && (c.codePoint == '\n' || c.codePoint == '\r')};
}

qint64 EncodedScan::extend(LineIndex &lines, CharacterIndex &characters, const char *text, qint64 size, qint64 to)
{
    m_metrics = &characters.metrics();
    const TextMetrics &metrics = *m_metrics;
    const bool kerned = metrics.hasKerning();
    qint64 at = m_scanned;
    to = std::min(to, size);
    Character c = at < size ? characterAt(text, size, at) : Character{};
    while (at < to) {
        qint64 length = c.length;
        const Character next = at + length < size ? characterAt(text, size, at + length) : Character{0, 0x110000, false};
        const bool crLf = c.lineBreak && c.codePoint == '\r' && next.lineBreak && next.codePoint == '\n';
        if (crLf)
            length += next.length;
        recordCheckpoints(at, at + length);
        if (c.lineBreak) {
            endLine(at, at + length);
            ++m_characters;
        } else {
            const char32_t after = kerned && c.codePoint < 0x7F && next.length > 0 ? next.codePoint : 0x110000;
            m_x = metrics.stepCodePoint(XUnits(m_x), c.codePoint, after).value();
            m_characters += c.codePoint >= 0x10000 ? 2 : 1;
        }
        at += length;
        c = crLf ? (at < size ? characterAt(text, size, at) : Character{}) : next;
    }
    m_scanned = at;
    publish(lines, characters);
    return at;
}

// Checkpoints whose byte lies in the character [start, end).
void EncodedScan::recordCheckpoints(qint64 start, qint64 end)
{
    for (; m_nextCheckpoint < end; m_nextCheckpoint += CharacterIndex::BytesPerCheckpoint)
        m_newCharacters.push_back({BytePosition(start), CharacterCount(m_characters), XUnits(m_x)});
}

// A break at `at`; the next line starts at `next`.
void EncodedScan::endLine(qint64 at, qint64 next)
{
    m_longest = std::max(m_longest, at - m_lastStart);
    m_widest = std::max(m_widest, m_x);
    m_x = 0;
    const qint64 line = m_knownLines++;
    m_lastStart = next;
    if (line % LineIndex::LinesPerCheckpoint == 0 || next - m_lastLineCheckpoint >= LineIndex::BytesPerCheckpoint) {
        m_newLines.push_back({LineNumber(line), BytePosition(next)});
        m_lastLineCheckpoint = next;
    }
}

void EncodedScan::publish(LineIndex &lines, CharacterIndex &characters)
{
    lines.takeScan({m_scanned, LineNumber(m_knownLines), BytePosition(m_lastStart), m_longest, false}, m_newLines);
    characters.takeScan({m_scanned, CharacterCount(m_characters), XUnits(m_widest), XUnits(m_x)}, m_newCharacters);
}
