#include "FindPattern.h"

#include "Cp932.h"
#include "Cp932Area.h"

#include <QHash>

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

// Each character's code page 932 form: lead << 8 | trail, or the single byte.
QHash<char16_t, std::uint16_t> buildEncoder()
{
    const Cp932 &cp932 = Cp932::instance();
    QHash<char16_t, std::uint16_t> encoder;
    for (int b = 0; b < 0x100; ++b)
        if (cp932.singleByte(std::uint8_t(b)) != Cp932::Replacement)
            encoder.insert(cp932.singleByte(std::uint8_t(b)), std::uint16_t(b));
    // Leads in order, so the first form of a character is kept; NEC-selected
    // IBM (ED, EE) last, as converters write IBM's form of those.
    std::vector<int> leads;
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        if (Cp932::isLeadByte(std::uint8_t(lead)) && lead != 0xED && lead != 0xEE)
            leads.push_back(lead);
    leads.push_back(0xED);
    leads.push_back(0xEE);
    for (int lead : leads)
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char16_t c = Cp932::isTrailByte(std::uint8_t(trail)) ? cp932.doubleByte(std::uint8_t(lead), std::uint8_t(trail)) : Cp932::Replacement;
            if (c != Cp932::Replacement && !encoder.contains(c))
                encoder.insert(c, std::uint16_t(lead << 8 | trail));
        }
    // Text pasted from where JIS's own mapping was used (〜 U+301C for ～).
    for (int lead : leads)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (const auto other = jisShiftJisDifference(std::uint8_t(lead), std::uint8_t(trail)); other && !encoder.contains(*other))
                encoder.insert(*other, std::uint16_t(lead << 8 | trail));
    return encoder;
}

QString noForm(QStringView typed, qsizetype at)
{
    const char32_t c = QChar::isHighSurrogate(typed[at].unicode()) && at + 1 < typed.size() && typed[at + 1].isLowSurrogate()
        ? QChar::surrogateToUcs4(typed[at], typed[at + 1])
        : typed[at].unicode();
    const QString shown = QString::fromUcs4(&c, 1);
    return QStringLiteral("「%1」(U+%2) はコードページ 932 (Shift-JIS) にない文字なので検索できません。")
        .arg(shown, QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'));
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

FindPatternParse encodeTextPattern(QStringView typed)
{
    static const QHash<char16_t, std::uint16_t> encoder = buildEncoder();
    if (typed.isEmpty())
        return refused(QStringLiteral("検索する文字列を入力してください。"));
    FindPatternParse parse;
    parse.pattern.startsCharacter = true;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char16_t c = typed[i].unicode();
        if (c == u'\r' || c == u'\n')
            return refused(QStringLiteral("改行を含む文字列は検索できません。改行は 16 進数（0D 0A、0A）で検索してください。"));
        const auto form = encoder.constFind(c);
        if (form == encoder.cend() || QChar::isSurrogate(c))
            return refused(noForm(typed, i));
        if (*form > 0xFF)
            parse.pattern.bytes.push_back(std::uint8_t(*form >> 8));
        parse.pattern.bytes.push_back(std::uint8_t(*form));
        if (parse.pattern.size() > FindPattern::MaxLength)
            return refused(tooLong());
    }
    parse.pattern.any.assign(parse.pattern.size(), false);
    return parse;
}
