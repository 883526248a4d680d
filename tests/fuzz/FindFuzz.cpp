#include "FileText.h"
#include "FindBytes.h"
#include "FuzzInput.h"
#include "TestTexts.h"
#include "TextCodec.h"
#include "TextFinder.h"
#include "TextNavigator.h"

#include <vector>

// Every search path this processor runs against the plain, byte-at-a-time
// one: the first and the last match of a pattern (a piece of the text, some
// of its bytes `??`, perhaps one byte changed) in a stretch the input
// picks, the next invalid and the next platform-dependent character; and
// whether a byte starts a character, told from the bytes before it, against
// the text's index. In another encoding, the finder's text matches and
// invalid characters against a walk of the codec from the text's start.

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

// In another encoding: every match of typed text (up to 8 characters of
// the text from a place the input picks, up to a line break or an invalid
// one) is where a character starts and the characters from it are the
// typed ones; every invalid character is where the codec reads one.
void checkEncodedText(const QByteArray &bytes, TextEncoding encoding, unsigned pieceAt, unsigned pieceLength)
{
    const TextCodec &codec = textCodec(encoding);
    std::vector<qint64> starts;
    std::vector<DecodedCharacter> characters;
    for (qint64 at = 0; at < bytes.size(); at += characters.back().length) {
        starts.push_back(at);
        characters.push_back(codec.characterAt(bytes.constData() + at, bytes.size() - at));
    }
    std::vector<char32_t> piece;
    for (std::size_t i = characters.empty() ? 0 : pieceAt % characters.size(); i < characters.size() && piece.size() < pieceLength; ++i) {
        if (!characters[i].valid || characters[i].codePoint == '\r' || characters[i].codePoint == '\n')
            break;
        piece.push_back(characters[i].codePoint);
    }
    std::vector<qint64> expectedText, expectedInvalid;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        std::size_t same = 0;
        while (same < piece.size() && i + same < characters.size() && characters[i + same].valid && characters[i + same].codePoint == piece[same])
            ++same;
        if (!piece.empty() && same == piece.size())
            expectedText.push_back(starts[i]);
        if (!characters[i].valid)
            expectedInvalid.push_back(starts[i]);
    }
    QString typed;
    for (char32_t c : piece)
        typed += QStringView(QChar::fromUcs4(c));
    const FindPatternParse parse = encodeTextPattern(typed, encoding);
    if (!piece.empty() && !parse.ok())
        fuzzFinding(QStringLiteral("a character read in %1 has no form: %2").arg(codec.name(), parse.error));
    const auto text = fileTextOf(bytes, encoding, 4096);
    const auto found = [&](FindKind kind, const FindPattern &pattern) {
        const TextFinder finder(*text, kind, pattern);
        std::vector<qint64> at;
        for (auto match = finder.first(0, finder.size()); match; match = finder.first(match->at + 1, finder.size()))
            at.push_back(match->at);
        const auto last = finder.last(0, finder.size());
        if ((last ? last->at : -1) != (at.empty() ? -1 : at.back()))
            fuzzFinding(QStringLiteral("the last match in %1 is not the first ones' last").arg(codec.name()));
        return at;
    };
    if (!piece.empty() && found(FindKind::Text, parse.pattern) != expectedText)
        fuzzFinding(QStringLiteral("the matches of %1 typed in %2").arg(typed, codec.name()));
    if (found(FindKind::InvalidByte, {}) != expectedInvalid)
        fuzzFinding(QStringLiteral("the invalid characters in %1").arg(codec.name()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const unsigned repeats = 1 + input.take(64);
    const unsigned fromChoice = input.take(65536);
    const unsigned lengthChoice = input.take(65536);
    const unsigned reach = input.take(8);
    const TextEncoding encoding = AllTextEncodings[1 + input.take(4)];
    const unsigned pieceAt = input.take(65536), pieceLength = 1 + input.take(8);
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
    checkEncodedText(bytes, encoding, pieceAt, pieceLength);
    return 0;
}
