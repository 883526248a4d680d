#include "TextScan.h"

#include "CharacterIndex.h"
#include "Cp932.h"
#include "LineIndex.h"
#include "ScanKernels.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int WeightSteps = ScanState::WeightBits;

bool isSpecial(int b)
{
    return b == '\t' || b == '\r' || b == '\n';
}

// Whether every double-byte advance has been measured.
bool allPairsMeasured(const TextMetrics &metrics)
{
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!Cp932::isLeadByte(std::uint8_t(lead)))
            continue;
        const qint32 *row = metrics.doubleTable() + metrics.rowOf(std::uint8_t(lead));
        if (std::any_of(row, row + 256, [](qint32 advance) { return advance < 0; }))
            return false;
    }
    return true;
}

// The most a byte adds to its line as a character of its own: its advance
// and the largest kerning after it.
void mostAdvances(const TextMetrics &metrics, ScanState::Units (&most)[256])
{
    for (int b = 0; b < 256; ++b) {
        qint32 kerning = 0;
        for (int next = 0x20; next < 0x7F; ++next)
            kerning = std::max(kerning, metrics.kerning(std::uint8_t(b), std::uint8_t(next)));
        most[b] = metrics.single(std::uint8_t(b)) + kerning;
    }
}

// Each byte's weight: `most` scaled to 4 bits above the least of them,
// rounded up, so that the sum of a line's weights bounds its width.
void weighBytes(ScanState &s, const ScanState::Units (&most)[256])
{
    ScanState::Units least = std::numeric_limits<ScanState::Units>::max(), top = 0;
    for (int b = 0; b < 256; ++b) {
        if (!isSpecial(b)) {
            least = std::min(least, most[b]);
            top = std::max(top, most[b]);
        }
    }
    s.base = least;
    s.unit = std::max<ScanState::Units>(1, (top - least + WeightSteps - 1) / WeightSteps);
    s.tabExtra = s.metrics->tabStopDistance().value() - s.base; // a tab adds at most one tab stop
    for (int b = 0; b < 256; ++b) {
        const auto byte = std::uint8_t(b);
        const int weight = isSpecial(b) ? 0 : int((most[b] - s.base + s.unit - 1) / s.unit);
        s.classes[b] = std::uint8_t(weight | (Cp932::isLeadByte(byte) ? ScanState::Lead : 0) | (Cp932::isTrailByte(byte) ? ScanState::Trail : 0)
                                    | (b == '\t' ? ScanState::Tab : 0) | (b == '\r' ? ScanState::Cr : 0));
        if (b >= 0x80)
            s.highWeight = std::max<std::uint8_t>(s.highWeight, std::uint8_t(weight));
    }
}

std::unique_ptr<ScanKernel> makeKernel(ScanPath path)
{
    const ScanKernelRow *row = scanKernel(ScanEncoding::Cp932, path);
    Q_ASSERT(row); // the reference has none: it is the indexes' own extend()
    return row->make();
}

} // namespace

TextScan::TextScan(ScanPath path)
    : m_path(path)
    , m_kernel(makeKernel(path))
{
}

void TextScan::prepare(const TextMetrics &metrics)
{
    m_state.metrics = &metrics;
    ScanState::Units most[256];
    mostAdvances(metrics, most);
    weighBytes(m_state, most);
    m_kernel->prepare(m_state, most);
    if (allPairsMeasured(metrics))
        boundPairs();
    m_prepared = true;
}

// A double-byte character weighs its lead byte as a single byte, and its
// trail byte base + pairExtra, pairExtra as its path weighs pairs: together
// at least its advance.
void TextScan::boundPairs()
{
    m_state.pairsBounded = true;
    m_state.lineUnbounded = m_state.scanned > 0; // the open line was weighed without these
    m_kernel->boundPairs(m_state);
}

void TextScan::extend(LineIndex &lines, CharacterIndex &characters, const char *bytes, qint64 n)
{
    if (n <= 0)
        return;
    if (!m_prepared)
        prepare(characters.metrics());
    m_kernel->scanBlock(m_state, reinterpret_cast<const unsigned char *>(bytes), n);
    if (!m_state.pairsBounded && m_state.pairs > 0)
        measureMorePairs(characters.metrics());
    ScanState &s = m_state;
    lines.takeScan({s.scanned, LineNumber(s.knownLines), BytePosition(s.lastStart), s.longest, s.pendingCr}, s.newLineCheckpoints);
    characters.takeScan({s.scanned, CharacterCount(s.characters), XUnits(s.widest), XUnits(s.openX)}, s.newCharacterCheckpoints);
}

// Until every double-byte advance is known, every line with a double-byte
// character is measured. The window measures them while it waits for the
// user; a lead byte's worth more with each block, so that a block never
// waits long.
void TextScan::measureMorePairs(const TextMetrics &metrics)
{
    while (m_nextLead <= 0xFC && !Cp932::isLeadByte(std::uint8_t(m_nextLead)))
        ++m_nextLead;
    if (m_nextLead <= 0xFC)
        metrics.measureLead(std::uint8_t(m_nextLead++));
    if (allPairsMeasured(metrics))
        boundPairs();
}
