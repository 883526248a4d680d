#include "EncodedScan.h"

#include "EucJpCodec.h"
#include "Utf16Codec.h"
#include "Utf8Codec.h"

#include <algorithm>

EncodedScan::EncodedScan(TextEncoding encoding)
    : m_codec(textCodec(encoding))
{
}

qint64 EncodedScan::extend(LineIndex &lines, CharacterIndex &characters, const char *text, qint64 size, qint64 to)
{
    m_metrics = &characters.metrics();
    to = std::min(to, size);
    // Each encoding's own decoder, inlined into the loop.
    switch (m_codec.encoding()) {
    case TextEncoding::Utf8:
        m_scanned = scan(text, size, to, [](const char *p, qint64 n) { return Utf8Codec::read(p, n); });
        break;
    case TextEncoding::EucJp:
        m_scanned = scan(text, size, to, [&codec = static_cast<const EucJpCodec &>(m_codec)](const char *p, qint64 n) { return codec.read(p, n); });
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        m_scanned = scan(text, size, to, [&codec = static_cast<const Utf16Codec &>(m_codec)](const char *p, qint64 n) { return codec.read(p, n); });
        break;
    case TextEncoding::Cp932:
        m_scanned = scan(text, size, to, [&codec = m_codec](const char *p, qint64 n) { return codec.characterAt(p, n); });
        break;
    }
    publish(lines, characters);
    return m_scanned;
}

template<class Read>
qint64 EncodedScan::scan(const char *text, qint64 size, qint64 to, Read read)
{
    const TextMetrics &metrics = *m_metrics;
    const bool kerned = metrics.hasKerning();
    const qint32 *basicPlane = metrics.basicPlaneTable();
    const auto characterAt = [&](qint64 at) {
        const DecodedCharacter c = read(text + at, size - at);
        return Character{c.length, c.codePoint, c.valid && (c.codePoint == '\n' || c.codePoint == '\r')};
    };
    // The advance of a character that is no line break, kerning before
    // `next` included.
    qint64 x = m_x, count = m_characters; // in registers, not in the members
    const auto advance = [&](char32_t c, char32_t next) -> qint64 {
        const qint32 known = c < 0x10000 && c != '\t' ? basicPlane[c] : -1;
        if (known >= 0 && !(kerned && c < 0x7F)) [[likely]]
            return known;
        return (metrics.stepCodePoint(XUnits(x), c, next) - XUnits(x)).value();
    };
    constexpr Character None{0, 0x110000, false};
    qint64 at = m_scanned;
    Character c = at < size ? characterAt(at) : None;
    while (at < to) {
        qint64 length = c.length;
        const Character next = at + length < size ? characterAt(at + length) : None;
        const bool crLf = c.lineBreak && c.codePoint == '\r' && next.lineBreak && next.codePoint == '\n';
        length += crLf ? next.length : 0;
        if (at + length > m_nextCheckpoint) [[unlikely]]
            recordCheckpoints(at, at + length, count, x);
        if (c.lineBreak) [[unlikely]] {
            endLine(at, at + length, x);
            x = 0;
            ++count;
        } else {
            x += advance(c.codePoint, next.codePoint);
            count += c.codePoint >= 0x10000 ? 2 : 1;
        }
        at += length;
        c = crLf ? (at < size ? characterAt(at) : None) : next;
    }
    m_x = x;
    m_characters = count;
    return at;
}

// Checkpoints whose byte lies in the character [start, end), which has
// `before` characters before it and starts at x.
void EncodedScan::recordCheckpoints(qint64 start, qint64 end, qint64 before, qint64 x)
{
    for (; m_nextCheckpoint < end; m_nextCheckpoint += CharacterIndex::BytesPerCheckpoint)
        m_newCharacters.push_back({BytePosition(start), CharacterCount(before), XUnits(x)});
}

// A break at `at` ends a line `width` wide; the next line starts at `next`.
void EncodedScan::endLine(qint64 at, qint64 next, qint64 width)
{
    m_longest = std::max(m_longest, at - m_lastStart);
    m_widest = std::max(m_widest, width);
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
