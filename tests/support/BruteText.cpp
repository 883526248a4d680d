#include "BruteText.h"

#include "CharacterReader.h"
#include "FileText.h"
#include "LineLayout.h"
#include "TestTexts.h"
#include "TextCodec.h"
#include "TextNavigator.h"

#include <algorithm>

namespace {

bool isBreak(const DecodedCharacter &c, char32_t which)
{
    return c.valid && c.codePoint == which;
}

} // namespace

BruteText::BruteText(const QByteArray &b, TextEncoding e)
    : bytes(b)
    , encoding(e)
{
    const TextCodec &codec = textCodec(e);
    const qint64 n = b.size();
    qint64 start = 0;
    for (qint64 p = 0; p < n;) {
        const DecodedCharacter c = codec.characterAt(b.constData() + p, n - p);
        qint64 length = c.length;
        characterStarts.push_back(p);
        positions.push_back(p);
        countBefore.push_back(count);
        if (isBreak(c, '\r') || isBreak(c, '\n')) {
            if (isBreak(c, '\r') && p + length < n && isBreak(codec.characterAt(b.constData() + p + length, n - p - length), '\n')) {
                characterStarts.push_back(p + length);
                length += codec.characterAt(b.constData() + p + length, n - p - length).length;
            }
            lines.push_back({BytePosition(start), BytePosition(p)});
            start = p + length;
        }
        count += c.codePoint >= 0x10000 ? 2 : 1;
        p += length;
    }
    lines.push_back({BytePosition(start), BytePosition(n)});
}

QString checkLines(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at)
{
    if (text.lineCount() != LineNumber(qint64(brute.lines.size())))
        return QStringLiteral("%1 lines, not %2").arg(text.lineCount().value()).arg(brute.lines.size());
    const std::vector<LineIndex::Span> all = text.lines(LineNumber(0), qint64(brute.lines.size()) + 1);
    for (std::size_t l = 0; l < brute.lines.size(); ++l) {
        if (all.size() != brute.lines.size() || all[l].start != brute.lines[l].start || all[l].end != brute.lines[l].end)
            return QStringLiteral("line %1's span").arg(l);
    }
    for (const qint64 p : at) {
        const auto after = std::upper_bound(brute.lines.begin(), brute.lines.end(), BytePosition(p),
                                            [](BytePosition q, const LineIndex::Span &s) { return q < s.start; });
        const auto line = LineNumber(qint64(after - brute.lines.begin()) - 1);
        if (text.lineOf(BytePosition(p)) != line)
            return QStringLiteral("line of %1").arg(p);
        const LineIndex::Span &span = brute.lines[std::size_t(line.value())];
        if (text.lineStart(line) != span.start || text.lineEnd(line) != span.end)
            return QStringLiteral("start or end of line %1").arg(line.value());
    }
    return {};
}

QString checkCharacters(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at)
{
    const qint64 n = brute.bytes.size();
    const auto &positions = brute.positions;
    if (text.characterCount() != CharacterCount(brute.count))
        return QStringLiteral("%1 characters, not %2").arg(text.characterCount().value()).arg(brute.count);
    for (const qint64 p : at) {
        qint64 start = n;
        qint64 near = n;
        if (p < n) {
            start = *std::prev(std::upper_bound(brute.characterStarts.begin(), brute.characterStarts.end(), p));
            near = *std::prev(std::upper_bound(positions.begin(), positions.end(), start));
        }
        if (text.characterStart(BytePosition(p)) != BytePosition(start) || text.positionNear(BytePosition(p)) != BytePosition(near))
            return QStringLiteral("character start or position near %1").arg(p);
        const auto index = std::lower_bound(positions.begin(), positions.end(), p);
        if (index == positions.end() ? p != n : *index != p)
            continue; // the rest asks about positions only
        const auto i = std::size_t(index - positions.begin());
        const qint64 count = index == positions.end() ? brute.count : brute.countBefore[i];
        const qint64 next = index == positions.end() || index + 1 == positions.end() ? n : *(index + 1);
        const qint64 previous = index == positions.begin() ? 0 : *(index - 1);
        if (text.positionAfter(BytePosition(p)) != BytePosition(next) || text.positionBefore(BytePosition(p)) != BytePosition(previous))
            return QStringLiteral("a step from %1").arg(p);
        if (text.charactersBefore(BytePosition(p)) != CharacterCount(count) || text.positionAfterCharacters(CharacterCount(count)) != BytePosition(p))
            return QStringLiteral("characters before %1").arg(p);
    }
    return {};
}

QString checkLayout(const BruteText &brute, const LineLayout &layout, qint64 stride)
{
    const auto *b = reinterpret_cast<const unsigned char *>(brute.bytes.constData());
    XUnits widest(0);
    for (const LineIndex::Span &line : brute.lines) {
        XUnits x(0);
        for (qint64 p = line.start.value(); p < line.end.value();) {
            const TextMetrics::Step step = layout.reader().step(x, b + p, line.end.value() - p);
            // A character of no width (a byte-order mark) is at no x.
            const bool asked = p % stride < step.length;
            const bool hit = step.x > x;
            if (asked && (layout.xOf(line, BytePosition(p)) != x || (hit && layout.characterAt(line, x).position != BytePosition(p))
                          || (hit && layout.positionAt(line, x) != BytePosition(p))))
                return QStringLiteral("x of %1").arg(p);
            x = step.x;
            p += step.length;
        }
        if (layout.xOf(line, line.end) != x)
            return QStringLiteral("width of the line at %1").arg(line.start.value());
        widest = std::max(widest, x);
    }
    return layout.widestLine() == widest ? QString() : QStringLiteral("the widest line");
}

std::shared_ptr<const FileText> encodedText(const QByteArray &bytes, TextEncoding encoding, qint64 runBlock,
                                            const QList<qint64> &steps, std::shared_ptr<const TextMetrics> metrics)
{
    std::shared_ptr<const FileText> run = textInBlocks(bytes, {}, runBlock, metrics);
    if (encoding == TextEncoding::Cp932)
        return run;
    auto text = std::make_shared<FileText>(run, encoding, metrics ? metrics : run->index().characters().sharedMetrics());
    for (qint64 step : steps)
        text->indexMore(step);
    while (text->indexMore(qint64(1) << 20) > 0) {
    }
    return text;
}
