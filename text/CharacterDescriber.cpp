#include "CharacterDescriber.h"

#include "Cp932.h"
#include "Cp932Area.h"
#include "EucJpCodec.h"
#include "FileText.h"
#include "HexAddress.h"
#include "HexBytes.h"
#include "TextCodec.h"
#include "TextNavigator.h"

#include <QLocale>
#include <algorithm>
#include <optional>

namespace {

const QLatin1StringView Gap("  ");

QString controlName(char32_t c)
{
    static constexpr const char *C0[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "TAB", "LF",
                                         "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                         "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};
    if (c < 0x20)
        return QString::fromLatin1(C0[c]);
    if (c == 0x20)
        return QStringLiteral("SP");
    if (c == 0x7F)
        return QStringLiteral("DEL");
    if (c >= 0x80 && c < 0xA0)
        return QStringLiteral("制御文字");
    return QString();
}

// U+XXXX, or U+XXXXX beyond the Basic Multilingual Plane.
QString codePoint(char32_t c)
{
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

// The code point and the character, or its name where it has no glyph.
QString characterText(char32_t c)
{
    const QString name = controlName(c);
    return codePoint(c) + u' ' + (name.isEmpty() ? QStringView(QChar::fromUcs4(c)).toString() : name);
}

QString rowCellText(const JisRowCell &rowCell)
{
    return QStringLiteral("区点 %1-%2").arg(rowCell.row, 2, 10, QLatin1Char('0')).arg(rowCell.cell, 2, 10, QLatin1Char('0'));
}

QString areaName(Cp932Area area)
{
    switch (area) {
    case Cp932Area::NecSpecial: return QStringLiteral("NEC特殊文字");
    case Cp932Area::NecSelectedIbm: return QStringLiteral("NEC選定IBM拡張");
    case Cp932Area::IbmExtension: return QStringLiteral("IBM拡張");
    case Cp932Area::UserDefined: return QStringLiteral("外字");
    case Cp932Area::Jis0208:
    case Cp932Area::Unassigned: break;
    }
    return QString();
}

// 区点 where the row is one of JIS's 94, then the platform-dependent area.
QString whereInCodePage(std::uint8_t lead, std::uint8_t trail)
{
    const JisRowCell rowCell = cp932RowCell(lead, trail);
    QString where;
    if (rowCell.row <= 94)
        where = rowCellText(rowCell);
    const QString area = areaName(cp932Area(lead, trail));
    if (!area.isEmpty())
        where += (where.isEmpty() ? QString() : QStringLiteral(" ")) + area;
    return where;
}

// What JIS's Shift_JIS gives instead: for the single bytes, JIS X 0201's
// yen sign and overline where ASCII has \ and ~.
std::optional<char16_t> jisDifference(const unsigned char *bytes, qint64 length)
{
    if (length == 2)
        return jisShiftJisDifference(bytes[0], bytes[1]);
    if (bytes[0] == 0x5C)
        return u'\u00A5';
    if (bytes[0] == 0x7E)
        return u'\u203E';
    return std::nullopt;
}

QString count(qint64 n)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(n);
}

// The bytes and what they are, for the character at data[0] of code page 932.
QString cp932Character(const char *data, qint64 n)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    const qint64 length = bytes[0] == '\r' && n > 1 && bytes[1] == '\n' ? 2 : Cp932::characterLength(data, n);
    QString line;
    appendHexBytes(line, data, length);
    line += Gap;
    if (length == 2 && bytes[0] == '\r')
        return line + QStringLiteral("U+000D U+000A CR LF");
    const Cp932 &cp932 = Cp932::instance();
    const char16_t c = length == 2 ? cp932.doubleByte(bytes[0], bytes[1]) : cp932.singleByte(bytes[0]);
    if (c == Cp932::Replacement)
        return line + codePoint(c) + Gap + QStringLiteral("不正なバイト");
    line += characterText(c);
    if (length == 2)
        line += Gap + whereInCodePage(bytes[0], bytes[1]);
    if (const std::optional<char16_t> jis = jisDifference(bytes, length))
        line += Gap + QStringLiteral("※JIS の Shift_JIS では ") + codePoint(*jis) + u' ' + QChar(*jis);
    return line;
}

// Where an EUC-JP character stands: half-width katakana (8E xx), or its row
// and cell in JIS X 0208, or in JIS X 0212 (8F xx xx).
QString whereInEucJp(const char *data, qint64 length)
{
    if (quint8(data[0]) == 0x8E)
        return QStringLiteral("半角カナ");
    const std::optional<EucJpCodec::RowCell> at = EucJpCodec::rowCell(data, length);
    if (!at)
        return QString();
    return rowCellText(at->rowCell) + (at->supplementary ? QStringLiteral(" 補助漢字") : QString());
}

// The same for a text in another encoding; the byte-order mark is told
// only at the text's start, where it is one.
QString encodedCharacter(const TextCodec &codec, const char *data, qint64 n, bool atTextStart)
{
    const DecodedCharacter c = codec.characterAt(data, n);
    const qint64 lineBreak = codec.lineBreakLength(data, n);
    QString line;
    appendHexBytes(line, data, std::max(c.length, lineBreak));
    line += Gap;
    if (lineBreak > c.length)
        return line + QStringLiteral("U+000D U+000A CR LF");
    if (!c.valid)
        return line + codePoint(TextCodec::Replacement) + Gap + QStringLiteral("不正なバイト");
    if (atTextStart && c.codePoint == TextCodec::ByteOrderMark)
        return line + codePoint(c.codePoint) + QStringLiteral(" バイト順マーク");
    line += characterText(c.codePoint);
    const QString where = codec.encoding() == TextEncoding::EucJp ? whereInEucJp(data, c.length) : QString();
    return where.isEmpty() ? line : line + Gap + where;
}

} // namespace

CharacterDescriber::CharacterDescriber(const FileText &text)
    : m_text(text)
{
}

QString CharacterDescriber::describe(BytePosition anchor, BytePosition cursor) const
{
    const BytePosition from = std::min(anchor, cursor), to = std::max(anchor, cursor);
    return from == to ? describeCharacter(from) : describeSelection(from, to);
}

QString CharacterDescriber::describeCharacter(BytePosition at) const
{
    const TextNavigator text(m_text);
    QString line = QStringLiteral("アドレス ") + formatAddress(at.value()) + Gap;
    if (at >= text.end())
        return line + QStringLiteral("テキストの終わり");
    // The character from the bytes as they are now.
    const char *data = text.data() + at.value();
    line += QStringLiteral("バイト ");
    if (m_text.encoding() == TextEncoding::Cp932)
        return line + cp932Character(data, text.end() - at);
    return line + encodedCharacter(textCodec(m_text.encoding()), data, text.end() - at, at == BytePosition(0));
}

QString CharacterDescriber::describeSelection(BytePosition from, BytePosition to) const
{
    const TextNavigator text(m_text);
    const qint64 characters = text.charactersBefore(to) - text.charactersBefore(from);
    return QStringLiteral("アドレス %1 - %2  選択 %3 バイト  %4 文字")
        .arg(formatAddress(from.value()), formatAddress((to - 1).value()), count(to - from), count(characters));
}
