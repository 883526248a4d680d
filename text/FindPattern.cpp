#include "FindPattern.h"

#include "CharacterEncoder.h"
#include "HexBytes.h"
#include "TextCodec.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

FindPatternParse refused(const QString &message)
{
    FindPatternParse parse;
    parse.error = message;
    return parse;
}

QString tooLong()
{
    return QStringLiteral("検索する内容が長すぎます（%1 バイトまで）。").arg(FindPattern::MaxLength);
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Cp932 ? QStringLiteral("コードページ 932 (Shift-JIS)") : u' ' + textCodec(encoding).name();
}

QString noForm(char32_t c, TextEncoding encoding)
{
    const bool shows = c < 0xD800 || c > 0xDFFF;
    return QStringLiteral("「%1」(U+%2) は%3 にない文字なので検索できません。")
        .arg(shows ? QStringView(QChar::fromUcs4(c)).toString() : QString(), QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'),
             encodingName(encoding));
}

// The hint names the breaks in the encoding's own bytes.
QString lineBreakRefused(TextEncoding encoding)
{
    const CharacterEncoder &encoder = CharacterEncoder::of(encoding);
    std::vector<std::uint8_t> crLf, lf;
    encoder.append(U'\r', crLf);
    encoder.append(U'\n', crLf);
    encoder.append(U'\n', lf);
    QString crLfHex, lfHex;
    appendHexBytes(crLfHex, reinterpret_cast<const char *>(crLf.data()), qint64(crLf.size()));
    appendHexBytes(lfHex, reinterpret_cast<const char *>(lf.data()), qint64(lf.size()));
    return QStringLiteral("改行を含む文字列は検索できません。改行は 16 進数（%1、%2）で検索してください。").arg(crLfHex, lfHex);
}

// The code point at typed[at]: a surrogate pair whole, a lone surrogate as itself.
char32_t codePointAt(QStringView typed, qsizetype at)
{
    if (QChar::isHighSurrogate(typed[at].unicode()) && at + 1 < typed.size() && typed[at + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(typed[at], typed[at + 1]);
    return typed[at].unicode();
}

} // namespace

FindPatternParse parseHexPattern(QStringView typed)
{
    FindPatternParse parse;
    for (qsizetype i = 0; i < typed.size();) {
        if (typed[i] == u' ' || typed[i] == u'\t') {
            ++i;
            continue;
        }
        const QChar first = typed[i];
        const QChar second = i + 1 < typed.size() ? typed[i + 1] : QChar();
        const bool anyByte = first == u'?';
        for (const QChar c : {first, second})
            if (!c.isNull() && hexDigit(c) < 0 && c != u'?' && c != u' ' && c != u'\t')
                return refused(QStringLiteral("「%1」は 16 進数ではありません。0-9、A-F と ??（任意の 1 バイト）が使えます。").arg(c));
        if (second.isNull() || (anyByte ? second != u'?' : hexDigit(second) < 0 || hexDigit(first) < 0))
            return refused(QStringLiteral("16 進数は 1 バイトを 2 桁（83 41 のように）、任意の 1 バイトを ?? で入力してください（%1 文字目）。").arg(i + 1));
        if (parse.pattern.size() == FindPattern::MaxLength)
            return refused(tooLong());
        parse.pattern.bytes.push_back(anyByte ? 0 : std::uint8_t(hexDigit(first) << 4 | hexDigit(second)));
        parse.pattern.any.push_back(anyByte);
        i += 2;
    }
    if (parse.pattern.bytes.empty())
        return refused(QStringLiteral("検索する 16 進数を入力してください（例: 83 41、?? は任意の 1 バイト）。"));
    return parse;
}

FindPatternParse encodeTextPattern(QStringView typed, TextEncoding encoding)
{
    if (typed.isEmpty())
        return refused(QStringLiteral("検索する文字列を入力してください。"));
    const CharacterEncoder &encoder = CharacterEncoder::of(encoding);
    FindPatternParse parse;
    parse.pattern.startsCharacter = true;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char32_t c = codePointAt(typed, i);
        if (c == U'\r' || c == U'\n')
            return refused(lineBreakRefused(encoding));
        if (!encoder.append(c, parse.pattern.bytes))
            return refused(noForm(c, encoding));
        if (c > 0xFFFF)
            ++i;
        if (parse.pattern.size() > FindPattern::MaxLength)
            return refused(tooLong());
    }
    parse.pattern.any.assign(parse.pattern.size(), false);
    return parse;
}
