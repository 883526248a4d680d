#include "Cp932.h"
#include "FileText.h"
#include "FuzzInput.h"
#include "IndexStates.h"
#include "LineLayout.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <algorithm>
#include <vector>

// Every query of the navigator and of the layout over a small text (in
// blocks split where the input says) against brute force over its bytes:
// lines, line of a position, characters and their counts, steps, x.

namespace {

using Span = LineIndex::Span;

struct BruteText
{
    explicit BruteText(const QByteArray &bytes);

    QByteArray bytes;
    std::vector<Span> lines;
    std::vector<qint64> characterStarts; // every character, CR and LF apart
    std::vector<qint64> positions;       // the same but the LF of a CR LF
};

BruteText::BruteText(const QByteArray &b)
    : bytes(b)
{
    const qint64 n = b.size();
    qint64 start = 0;
    for (qint64 i = 0; i < n; ++i) {
        if (b[i] != '\r' && b[i] != '\n')
            continue;
        lines.push_back({BytePosition(start), BytePosition(i)});
        start = b[i] == '\r' && i + 1 < n && b[i + 1] == '\n' ? ++i + 1 : i + 1;
    }
    lines.push_back({BytePosition(start), BytePosition(n)});
    for (qint64 p = 0; p < n; p += Cp932::characterLength(b.constData() + p, n - p)) {
        characterStarts.push_back(p);
        if (!(b[p] == '\n' && p > 0 && b[p - 1] == '\r'))
            positions.push_back(p);
    }
}

// Positions to ask about: all of a small text, else some the input picks.
std::vector<qint64> probes(FuzzInput &input, qint64 n)
{
    std::vector<qint64> at;
    if (n <= 600) {
        for (qint64 p = 0; p <= n; ++p)
            at.push_back(p);
        return at;
    }
    const unsigned step = 1 + n / 300 + input.take(64);
    for (qint64 p = input.take(256); p <= n; p += step)
        at.push_back(p);
    at.push_back(n);
    return at;
}

void checkLines(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at)
{
    if (text.lineCount() != LineNumber(qint64(brute.lines.size())))
        fuzzFinding(QStringLiteral("%1 lines, not %2").arg(text.lineCount().value()).arg(brute.lines.size()));
    const std::vector<Span> all = text.lines(LineNumber(0), qint64(brute.lines.size()) + 1);
    for (std::size_t l = 0; l < brute.lines.size(); ++l) {
        if (all.size() != brute.lines.size() || all[l].start != brute.lines[l].start || all[l].end != brute.lines[l].end)
            fuzzFinding(QStringLiteral("line %1's span").arg(l));
    }
    for (const qint64 p : at) {
        const auto after = std::upper_bound(brute.lines.begin(), brute.lines.end(), BytePosition(p),
                                            [](BytePosition q, const Span &s) { return q < s.start; });
        const auto line = LineNumber(qint64(after - brute.lines.begin()) - 1);
        if (text.lineOf(BytePosition(p)) != line)
            fuzzFinding(QStringLiteral("line of %1").arg(p));
        if (text.lineStart(line) != brute.lines[std::size_t(line.value())].start || text.lineEnd(line) != brute.lines[std::size_t(line.value())].end)
            fuzzFinding(QStringLiteral("start or end of line %1").arg(line.value()));
    }
}

void checkCharacters(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at)
{
    const qint64 n = brute.bytes.size();
    const auto &positions = brute.positions;
    if (text.characterCount() != CharacterCount(qint64(positions.size())))
        fuzzFinding(QStringLiteral("character count"));
    for (const qint64 p : at) {
        qint64 start = n;
        qint64 near = n;
        if (p < n) {
            start = *std::prev(std::upper_bound(brute.characterStarts.begin(), brute.characterStarts.end(), p));
            near = *std::prev(std::upper_bound(positions.begin(), positions.end(), start));
        }
        if (text.characterStart(BytePosition(p)) != BytePosition(start) || text.positionNear(BytePosition(p)) != BytePosition(near))
            fuzzFinding(QStringLiteral("character start or position near %1").arg(p));
        const auto index = std::lower_bound(positions.begin(), positions.end(), p);
        if (index == positions.end() ? p != n : *index != p)
            continue; // the rest asks about positions only
        const qint64 count = index - positions.begin();
        const qint64 next = index == positions.end() ? n : index + 1 == positions.end() ? n : *(index + 1);
        const qint64 previous = index == positions.begin() ? 0 : *(index - 1);
        if (text.positionAfter(BytePosition(p)) != BytePosition(next) || text.positionBefore(BytePosition(p)) != BytePosition(previous))
            fuzzFinding(QStringLiteral("a step from %1").arg(p));
        if (text.charactersBefore(BytePosition(p)) != CharacterCount(count) || text.positionAfterCharacters(CharacterCount(count)) != BytePosition(p))
            fuzzFinding(QStringLiteral("characters before %1").arg(p));
    }
}

// Each character of a line from x = 0 by the layout rule, one step at a time.
// The layout is asked at every `stride`-th byte or so.
void checkLine(const BruteText &brute, const LineLayout &layout, const Span &line, qint64 stride, XUnits &widest)
{
    const TextMetrics &metrics = layout.metrics();
    const char *b = brute.bytes.constData();
    XUnits x(0);
    for (qint64 p = line.start.value(); p < line.end.value();) {
        const int next = p + 1 < line.end.value() ? std::uint8_t(b[p + 1]) : -1;
        const TextMetrics::Step step = metrics.step(x, std::uint8_t(b[p]), next);
        const bool asked = p % stride < step.length;
        if (asked && (layout.xOf(line, BytePosition(p)) != x || layout.characterAt(line, x).position != BytePosition(p)
                      || layout.positionAt(line, x) != BytePosition(p)))
            fuzzFinding(QStringLiteral("x of %1").arg(p));
        x = step.x;
        p += step.length;
    }
    if (layout.xOf(line, line.end) != x)
        fuzzFinding(QStringLiteral("width of the line at %1").arg(line.start.value()));
    widest = std::max(widest, x);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    static const char *const kinds[] = {"uniform", "proportional", "kerned"};
    const auto metrics = scanTestMetrics(QString::fromLatin1(kinds[input.take(3)]), input.take(256));
    QList<qint64> blocks;
    for (unsigned i = 0, n = input.take(4); i < n; ++i)
        blocks << 1 + input.take(70000);
    const unsigned repeats = 1 + input.take(40);
    const BruteText brute(input.rest().repeated(repeats));
    const auto text = textInBlocks(brute.bytes, blocks, 1 + input.take(70000), metrics);
    const TextNavigator navigator(*text);
    const std::vector<qint64> at = probes(input, brute.bytes.size());
    checkLines(brute, navigator, at);
    checkCharacters(brute, navigator, at);
    const LineLayout layout(*text, text->index().characters());
    XUnits widest(0);
    const qint64 stride = 1 + brute.bytes.size() / 300;
    for (const Span &line : brute.lines)
        checkLine(brute, layout, line, stride, widest);
    if (layout.widestLine() != widest)
        fuzzFinding(QStringLiteral("the widest line"));
    return 0;
}
