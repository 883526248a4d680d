#include "EncodingHint.h"

#include "TextCodec.h"

#include <bitset>

namespace {

// The kanji of JIS X 0208's first level (rows 16-47), the common ones: two
// ASCII letters read as UTF-16 are a kanji too, but seldom a common one.
class CommonKanji
{
public:
    CommonKanji()
    {
        const TextCodec &eucJp = textCodec(TextEncoding::EucJp);
        for (int row = 16; row <= 47; ++row) {
            for (int cell = 1; cell <= 94; ++cell) {
                const char bytes[2] = {char(0xA0 + row), char(0xA0 + cell)};
                const DecodedCharacter c = eucJp.characterAt(bytes, 2);
                if (c.valid && c.codePoint >= First && c.codePoint <= Last)
                    m_common[c.codePoint - First] = true;
            }
        }
    }
    bool contains(char32_t c) const { return c >= First && c <= Last && m_common[c - First]; }

    static constexpr char32_t First = 0x4E00;
    static constexpr char32_t Last = 0x9FFF;

private:
    std::bitset<Last - First + 1> m_common;
};

double weightOf(char32_t c)
{
    static const CommonKanji commonKanji;

    if (c == '\t' || c == '\n' || c == '\r' || c == '\f' || (c >= 0x20 && c < 0x7F))
        return 0.5;
    if (c < 0x20 || c == 0x7F)
        return -1;
    if (c >= 0x80 && c < 0xA0)
        return -3; // C1 controls: EUC-JP's valid bytes that text never holds

    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0xFF01 && c <= 0xFF5E))
        return 1; // CJK punctuation, hiragana, katakana, full-width forms
    if (commonKanji.contains(c))
        return 0.9;
    if (c >= CommonKanji::First && c <= CommonKanji::Last)
        return 0.2;
    if (c >= 0xFF61 && c <= 0xFF9F)
        return 0.1;
    return 0;
}

struct Tally
{
    double sum = 0;
    qsizetype characters = 0;
};

void add(Tally &tally, const TextCodec &codec, QByteArrayView sample, bool atTextStart)
{
    const qsizetype n = qMin(sample.size(), EncodingHint::SampleLimit);
    const char *data = sample.data();
    for (qsizetype i = atTextStart ? codec.byteOrderMarkLength(data, n) : 0; i < n;) {
        const DecodedCharacter c = codec.characterAt(data + i, n - i);
        const bool cutOff = i + c.length == n || (!atTextStart && i < 3);
        if (c.valid || !cutOff) {
            tally.sum += c.valid ? weightOf(c.codePoint) : -3;
            ++tally.characters;
        }
        i += c.length;
    }
}

} // namespace

double EncodingHint::score(TextEncoding encoding, const QList<QByteArrayView> &samples)
{
    const TextCodec &codec = textCodec(encoding);
    Tally tally;
    for (qsizetype i = 0; i < samples.size(); ++i)
        add(tally, codec, samples[i], i == 0);
    return tally.characters == 0 ? 0 : tally.sum / double(tally.characters);
}

std::optional<TextEncoding> EncodingHint::byteOrderMark(QByteArrayView start)
{
    if (start.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (start.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (start.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16Be;
    return std::nullopt;
}

std::optional<TextEncoding> EncodingHint::of(const QList<QByteArrayView> &samples)
{
    if (samples.isEmpty())
        return std::nullopt;
    if (const auto marked = byteOrderMark(samples.first()))
        return marked;
    qsizetype bytes = 0;
    for (QByteArrayView sample : samples)
        bytes += qMin(sample.size(), SampleLimit);
    if (bytes < MinimumSample)
        return std::nullopt;
    TextEncoding best = TextEncoding::Cp932;
    double bestScore = qMax(score(best, samples), MinimumScore);
    for (TextEncoding candidate : AllTextEncodings) {
        const double candidateScore = candidate == TextEncoding::Cp932 ? 0 : score(candidate, samples);
        if (candidateScore > bestScore) {
            best = candidate;
            bestScore = candidateScore;
        }
    }
    return best == TextEncoding::Cp932 ? std::nullopt : std::optional(best);
}
