#include "FileText.h"
#include "FindBytes.h"
#include "FuzzInput.h"
#include "TestTexts.h"
#include "TextNavigator.h"

// Every search path this processor runs against the plain, byte-at-a-time
// one: the first and the last match of a pattern (a piece of the text, some
// of its bytes `??`, perhaps one byte changed) in a stretch the input
// picks, the next invalid and the next platform-dependent character; and
// whether a byte starts a character, told from the bytes before it, against
// the text's index.

namespace {

// Up to 130 bytes of the text from a place the input picks, so that a
// pattern crosses a vector's width; `??` where a mask the input gives says,
// and perhaps one byte changed so that it matches less often.
struct PatternChoice
{
    explicit PatternChoice(FuzzInput &input);
    FindPattern from(const QByteArray &bytes) const;

    unsigned at, length;
    std::uint64_t anyMask = 0;
    unsigned changed, change;
};

PatternChoice::PatternChoice(FuzzInput &input)
    : at(input.take(65536)), length(1 + input.take(130))
{
    for (unsigned density = input.take(4), i = 0; i < density; ++i) {
        std::uint64_t word = 0;
        for (int b = 0; b < 8; ++b)
            word = word << 8 | input.take(256);
        anyMask = i == 0 ? word : anyMask & word;
    }
    changed = input.take(2 * length);
    change = 1 + input.take(255);
}

FindPattern PatternChoice::from(const QByteArray &bytes) const
{
    const qint64 n = bytes.size();
    const qint64 start = n ? at % n : 0;
    FindPattern pattern;
    for (unsigned i = 0; i < length; ++i) {
        pattern.bytes.push_back(start + i < n ? std::uint8_t(bytes[start + i]) : 0);
        pattern.any.push_back(anyMask >> (i % 64) & 1);
    }
    if (changed < length)
        pattern.bytes[changed] ^= std::uint8_t(change);
    return pattern;
}

void checkMatches(const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern)
{
    const qint64 first = FindBytes::first(FindPath::Plain, data, size, from, to, pattern);
    const qint64 last = FindBytes::last(FindPath::Plain, data, size, from, to, pattern);
    for (const FindPath path : runnableFindPaths()) {
        if (FindBytes::first(path, data, size, from, to, pattern) != first)
            fuzzFinding(QStringLiteral("the %1 path's first match in [%2, %3)").arg(QLatin1String(findPathName(path))).arg(from).arg(to));
        if (FindBytes::last(path, data, size, from, to, pattern) != last)
            fuzzFinding(QStringLiteral("the %1 path's last match in [%2, %3)").arg(QLatin1String(findPathName(path))).arg(from).arg(to));
    }
}

void checkCharacters(const std::uint8_t *data, qint64 size, qint64 from, qint64 to)
{
    for (const CharacterKind kind : {CharacterKind::Invalid, CharacterKind::PlatformDependent}) {
        const qint64 plain = FindBytes::firstCharacter(FindPath::Plain, kind, data, size, from, to);
        for (const FindPath path : runnableFindPaths()) {
            if (FindBytes::firstCharacter(path, kind, data, size, from, to) != plain)
                fuzzFinding(QStringLiteral("the %1 path's next %2 character in [%3, %4)")
                                .arg(QLatin1String(findPathName(path)), kind == CharacterKind::Invalid ? u"invalid" : u"platform-dependent")
                                .arg(from)
                                .arg(to));
        }
    }
}

// Reaching back to the text's start always tells; reaching less tells
// right or not at all.
// Every byte of a small text, some of a larger one: each asks the index.
void checkCharacterStarts(const std::uint8_t *data, const TextNavigator &navigator, qint64 reach)
{
    const qint64 step = 1 + navigator.size() / 150;
    for (qint64 at = reach % step; at < navigator.size(); at += step) {
        const bool starts = navigator.characterStart(BytePosition(at)) == BytePosition(at);
        const std::optional<bool> near = FindBytes::startsCharacter(data, at, reach);
        if (FindBytes::startsCharacter(data, at, at) != std::optional<bool>(starts) || (near && *near != starts))
            fuzzFinding(QStringLiteral("whether %1 starts a character").arg(at));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const unsigned repeats = 1 + input.take(64);
    const unsigned fromChoice = input.take(65536);
    const unsigned lengthChoice = input.take(65536);
    const unsigned reach = input.take(8);
    const PatternChoice pattern(input);
    const QByteArray bytes = input.rest().repeated(repeats);
    const qint64 n = bytes.size();
    const qint64 from = fromChoice % (n + 1);
    const qint64 to = from + lengthChoice % (n - from + 4);
    const auto *text = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    checkMatches(text, n, from, to, pattern.from(bytes));
    const auto file = fileTextOf(bytes);
    const TextNavigator navigator(*file);
    const qint64 start = navigator.characterStart(BytePosition(from)) == BytePosition(from) ? from : from + 1;
    checkCharacters(text, n, start, to);
    checkCharacterStarts(text, navigator, reach);
    return 0;
}
