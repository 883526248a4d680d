#include "EncodedScan.h"

#include "EncodedRuns.h"
#include "EucJpCodec.h"
#include "ScanPath.h"
#include "Utf16Codec.h"
#include "Utf8Codec.h"

#include <algorithm>

EncodedScan::EncodedScan(TextEncoding encoding)
    : m_codec(textCodec(encoding))
    , m_vector(activeScanPath() == ScanPath::Avx2 || activeScanPath() == ScanPath::Avx512)
{
}

qint64 EncodedScan::extend(LineIndex &lines, CharacterIndex &characters, const char *text, qint64 size, qint64 to)
{
    m_metrics = &characters.metrics();
    to = std::min(to, size);
    // Each encoding's own decoder and runs, inlined into the loop.
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    using EncodedRuns::Sums;
    switch (m_codec.encoding()) {
    case TextEncoding::Utf8:
        m_scanned = scanEither(text, size, to, [](const char *p, qint64 n) { return Utf8Codec::read(p, n); },
                               [bytes](qint64 at, qint64 end, Sums &sums) { return EncodedRuns::utf8(bytes, at, end, sums); },
                               [bytes](qint64 at, qint64 end, Sums &sums) { return EncodedRuns::utf8Avx2(bytes, at, end, sums); });
        break;
    case TextEncoding::EucJp: {
        const auto &codec = static_cast<const EucJpCodec &>(m_codec);
        m_scanned = scanEither(text, size, to, [&codec](const char *p, qint64 n) { return codec.read(p, n); },
                               [&codec, bytes](qint64 at, qint64 end, Sums &sums) { return EncodedRuns::eucJp(codec, bytes, at, end, sums); },
                               [&codec, bytes](qint64 at, qint64 end, Sums &sums) { return EncodedRuns::eucJpAvx2(codec, bytes, at, end, sums); });
        break;
    }
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        m_scanned = scanUtf16(text, size, to);
        break;
    case TextEncoding::Cp932:
        Q_UNREACHABLE(); // scanned by its own kernels (TextIndex)
    }
    publish(lines, characters);
    return m_scanned;
}

qint64 EncodedScan::scanUtf16(const char *text, qint64 size, qint64 to)
{
    const auto &codec = static_cast<const Utf16Codec &>(m_codec);
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    const bool bigEndian = m_codec.encoding() == TextEncoding::Utf16Be;
    using EncodedRuns::Sums;
    return scanEither(text, size, to, [&codec](const char *p, qint64 n) { return codec.read(p, n); },
                      [bytes, bigEndian](qint64 at, qint64 end, Sums &sums) {
                          return bigEndian ? EncodedRuns::utf16<true>(bytes, at, end, sums) : EncodedRuns::utf16<false>(bytes, at, end, sums);
                      },
                      [bytes, bigEndian](qint64 at, qint64 end, Sums &sums) { return EncodedRuns::utf16Avx2(bigEndian, bytes, at, end, sums); });
}

// The vector runs where the path chosen has them, else the plain ones.
// Where the vector runs keep stopping short (text read in the wrong
// encoding, binary data), each costs more than the plain run it saves:
// the plain runs take the next stretch.
template<class Read, class Run, class VectorRun>
qint64 EncodedScan::scanEither(const char *text, qint64 size, qint64 to, Read read, Run run, VectorRun vectorRun)
{
    if (!m_vector)
        return scan(text, size, to, read, run);
    constexpr qint64 ShortRun = 32, PlainStretch = 1024;
    qint64 plainUntil = 0;
    return scan(text, size, to, read, [&](qint64 at, qint64 end, EncodedRuns::Sums &sums) {
        if (at < plainUntil)
            return run(at, end, sums);
        const qint64 stopped = vectorRun(at, end, sums);
        if (stopped - at < ShortRun)
            plainUntil = stopped + PlainStretch;
        return stopped;
    });
}

template<class Read, class Run>
qint64 EncodedScan::scan(const char *text, qint64 size, qint64 to, Read read, Run run)
{
    const TextMetrics &metrics = *m_metrics;
    const bool kerned = metrics.hasKerning();
    EncodedRuns::Sums sums{metrics.basicPlaneTable(), kerned, m_x, m_characters}; // in registers, not in the members
    const auto characterAt = [&](qint64 at) {
        const DecodedCharacter c = read(text + at, size - at);
        return Character{c.length, c.codePoint, c.valid && (c.codePoint == '\n' || c.codePoint == '\r')};
    };
    qint64 at = m_scanned;
    while (at < to) {
        at = run(at, std::min(to, m_nextCheckpoint), sums);
        if (at < to)
            at = step(at, size, characterAt, sums);
    }
    m_x = sums.x;
    m_characters = sums.count;
    return at;
}

// One character, or a CR LF, at `at`, by the general rule.
template<class CharacterAt>
qint64 EncodedScan::step(qint64 at, qint64 size, const CharacterAt &characterAt, EncodedRuns::Sums &sums)
{
    constexpr Character None{0, 0x110000, false};
    const Character c = characterAt(at);
    qint64 length = c.length;
    const bool kernable = sums.kerned && c.codePoint < 0x7F;
    const bool crMaybe = c.lineBreak && c.codePoint == '\r';
    const Character next = (kernable || crMaybe) && at + length < size ? characterAt(at + length) : None;
    if (crMaybe && next.lineBreak && next.codePoint == '\n')
        length += next.length;
    if (at + length > m_nextCheckpoint)
        recordCheckpoints(at, at + length, sums.count, sums.x);
    if (c.lineBreak) {
        endLine(at, at + length, sums.x);
        sums.x = 0;
        ++sums.count;
    } else {
        sums.x = m_metrics->stepCodePoint(XUnits(sums.x), c.codePoint, next.codePoint).value();
        sums.count += c.codePoint >= 0x10000 ? 2 : 1;
    }
    return at + length;
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
