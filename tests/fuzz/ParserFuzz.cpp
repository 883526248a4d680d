#include "Cp932.h"
#include "Cp932Area.h"
#include "FindPattern.h"
#include "FuzzInput.h"
#include "HexAddress.h"

#include <QRegularExpression>

// What a user types, read as UTF-8 or as raw UTF-16 (lone surrogates and
// all), through the hex pattern, text pattern and address parsers: each
// gives a result or a message, and what it accepts goes round: a pattern
// written back as hex parses to the same, an address written back reads
// the same, text as code page 932 bytes decodes to what was typed.

namespace {

// The hex parser's rule said another way: words between spaces and tabs,
// each whole pairs of hex digits or `??`.
std::optional<FindPattern> hexReference(const QString &typed)
{
    static const QRegularExpression pair(QStringLiteral("\\A(?:[0-9A-Fa-f]{2}|\\?\\?)*\\z"));
    FindPattern pattern;
    for (const QString &word : typed.split(QRegularExpression(QStringLiteral("[ \\t]+")), Qt::SkipEmptyParts)) {
        if (word.size() % 2 || !pair.match(word).hasMatch())
            return std::nullopt;
        for (qsizetype i = 0; i < word.size(); i += 2) {
            const bool any = word[i] == u'?';
            pattern.bytes.push_back(any ? 0 : std::uint8_t(word.mid(i, 2).toUInt(nullptr, 16)));
            pattern.any.push_back(any);
        }
    }
    if (pattern.bytes.empty() || pattern.size() > FindPattern::MaxLength)
        return std::nullopt;
    return pattern;
}

QString hexOf(const FindPattern &pattern, bool spaced)
{
    QString hex;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        hex += (spaced && i ? QStringLiteral(" ") : QString())
            + (pattern.any[i] ? QStringLiteral("??") : QStringLiteral("%1").arg(pattern.bytes[i], 2, 16, QLatin1Char('0')));
    return spaced ? hex.toUpper() : hex;
}

bool samePattern(const FindPattern &a, const FindPattern &b)
{
    return a.bytes == b.bytes && a.any == b.any && a.startsCharacter == b.startsCharacter;
}

void checkHexPattern(const QString &typed)
{
    const FindPatternParse parse = parseHexPattern(typed);
    const std::optional<FindPattern> reference = hexReference(typed);
    if (parse.ok() != reference.has_value() || (reference && !samePattern(parse.pattern, *reference)))
        fuzzFinding(QStringLiteral("hex pattern \"%1\" read otherwise than its rule says").arg(typed));
    if (parse.ok() && !(samePattern(parseHexPattern(hexOf(parse.pattern, true)).pattern, parse.pattern)
                        && samePattern(parseHexPattern(hexOf(parse.pattern, false)).pattern, parse.pattern)))
        fuzzFinding(QStringLiteral("hex pattern \"%1\" written back reads otherwise").arg(typed));
}

// Hex digits as a Japanese input method types them.
QString fullWidth(const QString &text)
{
    QString wide = text;
    for (QChar &c : wide)
        c = QChar(c.unicode() - u'!' + 0xFF01);
    return wide;
}

void checkAddress(const QString &typed, qint64 size, qint64 chosen)
{
    const AddressEntry entry = parseAddress(typed, size);
    if (entry.address.has_value() == !entry.error.isEmpty() || (entry.address && (*entry.address < 0 || *entry.address > size)))
        fuzzFinding(QStringLiteral("address \"%1\" in %2 bytes").arg(typed).arg(size));
    if (entry.address && parseAddress(formatAddress(*entry.address), size).address != entry.address)
        fuzzFinding(QStringLiteral("address \"%1\" written back reads otherwise").arg(typed));
    const QString written = formatAddress(chosen);
    if (written.size() < 8 || written != written.toUpper() || written.toLongLong(nullptr, 16) != chosen)
        fuzzFinding(QStringLiteral("address %1 written as %2").arg(chosen).arg(written));
    const std::optional<qint64> expected = chosen <= size ? std::optional(chosen) : std::nullopt;
    for (const QString &form : {written, QStringLiteral(" 0x%1\t").arg(written.toLower()), fullWidth(written)})
        if (parseAddress(form, size).address != expected)
            fuzzFinding(QStringLiteral("address \"%1\" in %2 bytes").arg(form).arg(size));
}

// The character a code page 932 form was taken for: its own, or JIS's.
bool decodesTo(const QByteArray &form, const QString &decoded, QChar typed)
{
    if (decoded.size() != 1)
        return false;
    if (decoded[0] == typed)
        return true;
    return form.size() == 2 && jisShiftJisDifference(std::uint8_t(form[0]), std::uint8_t(form[1])) == typed.unicode();
}

void checkTextPattern(const QString &typed)
{
    const FindPatternParse parse = encodeTextPattern(typed);
    if (parse.ok() == parse.pattern.bytes.empty() || (parse.ok() && !parse.pattern.startsCharacter))
        fuzzFinding(QStringLiteral("text pattern \"%1\" neither taken nor refused").arg(typed));
    if (!parse.ok())
        return;
    const QByteArray bytes(reinterpret_cast<const char *>(parse.pattern.bytes.data()), qsizetype(parse.pattern.size()));
    qsizetype at = 0;
    for (const QChar c : typed) {
        const qsizetype length = at < bytes.size() ? Cp932::characterLength(bytes.constData() + at, bytes.size() - at) : 0;
        const QByteArray form = bytes.mid(at, length);
        if (!length || !decodesTo(form, Cp932::instance().decode(form.constData(), form.size()), c))
            fuzzFinding(QStringLiteral("text pattern \"%1\" as code page 932 bytes is not what was typed").arg(typed));
        at += length;
    }
    if (at != bytes.size())
        fuzzFinding(QStringLiteral("text pattern \"%1\" has bytes left over").arg(typed));
}

// Code page 932 text as the user would paste it is always taken, and
// decodes back to itself.
void checkDecodedText(const QByteArray &bytes)
{
    const QString text = Cp932::instance().decode(bytes.constData(), bytes.size());
    if (text.isEmpty() || text.contains(QChar(Cp932::Replacement)) || text.contains(u'\r') || text.contains(u'\n'))
        return;
    const FindPatternParse parse = encodeTextPattern(text);
    const QByteArray again(reinterpret_cast<const char *>(parse.pattern.bytes.data()), qsizetype(parse.pattern.size()));
    if (!parse.ok() || Cp932::instance().decode(again.constData(), again.size()) != text)
        fuzzFinding(QStringLiteral("code page 932 text \"%1\" is not found as itself").arg(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const bool utf16 = input.take(2);
    const qint64 textSize = qint64(input.take(65536)) << input.take(48);
    const qint64 chosen = qint64(input.take(65536)) << input.take(48);
    const QByteArray bytes = input.rest();
    const QString typed = utf16 ? QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2) : QString::fromUtf8(bytes);
    checkHexPattern(typed);
    checkAddress(typed, textSize, chosen);
    checkTextPattern(typed);
    checkDecodedText(bytes);
    return 0;
}
