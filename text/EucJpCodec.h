#pragma once

#include "Cp932Area.h"
#include "TextCodec.h"

#include <array>
#include <optional>
#include <vector>

// EUC-JP as this program reads it, with its three-byte form.
//
// The sequences: 00-7F one byte (ASCII); 80-8D and 90-9F one byte, the C1
// controls U+0080-U+009F; 8E and A1-DF, half-width katakana (SS2); A1-FE
// twice, JIS X 0208; 8F and A1-FE twice, JIS X 0212 (SS3). A complete
// sequence is one character even when the code has no character (then
// U+FFFD). Otherwise the rule for invalid bytes is Unicode's for UTF-8: the
// longest start of a sequence is one U+FFFD. So 8F A1 before a byte that is
// no A1-FE is one U+FFFD of 2 bytes, and 8F, 8E or A1-FE before such a byte
// one U+FFFD of 1 byte; A0 and FF are always one U+FFFD each. The byte
// after an invalid part starts afresh.
//
// The Unicode of each character comes from the system's EUC-JP converter
// (glibc iconv), read once into tables. A half-width katakana, a JIS X 0208
// or a JIS X 0212 character is where it is in glibc; where glibc would
// resume after an error differs (it has no rule: it stops).
class EucJpCodec final : public TextCodec
{
public:
    EucJpCodec();

    TextEncoding encoding() const override { return TextEncoding::EucJp; }
    QString name() const override { return QStringLiteral("EUC-JP"); }
    DecodedCharacter characterAt(const char *data, qsizetype n) const override;

    // Where a complete two- or three-byte JIS character at data[0] stands
    // (区点, as JisRowCell counts them), in JIS X 0208 or, for the 8F form,
    // in JIS X 0212 (補助漢字); nothing for ASCII, half-width katakana and
    // invalid bytes.
    struct RowCell
    {
        bool supplementary; // JIS X 0212
        JisRowCell rowCell;
    };
    static std::optional<RowCell> rowCell(const char *data, qsizetype n);

    // characterAt(), inline for the scan.
    DecodedCharacter read(const char *data, qsizetype n) const
    {
        const auto b = quint8(data[0]);
        if (b < 0xA0 && b != 0x8E && b != 0x8F)
            return {1, b, true};
        const auto second = n > 1 ? quint8(data[1]) : quint8(0);
        if (b == 0x8E) {
            if (!isKanaByte(second))
                return {};
            const char16_t c = m_kana[second - 0xA1];
            return {2, c, c != Replacement};
        }
        if (b == 0x8F) {
            if (!isJisByte(second))
                return {};
            const auto third = n > 2 ? quint8(data[2]) : quint8(0);
            if (!isJisByte(third))
                return {2, Replacement, false};
            const char16_t c = m_supplementary[indexOf(second, third)];
            return {3, c, c != Replacement};
        }
        if (!isJisByte(b) || !isJisByte(second))
            return {};
        const char16_t c = m_primary[indexOf(b, second)];
        return {2, c, c != Replacement};
    }

    static constexpr bool isJisByte(quint8 b) { return b >= 0xA1 && b <= 0xFE; }
    static constexpr bool isKanaByte(quint8 b) { return b >= 0xA1 && b <= 0xDF; }

protected:
    bool alwaysStarts(quint8 b) const override { return !isJisByte(b); }

private:
    static constexpr int Cells = 94;
    static int indexOf(quint8 first, quint8 second) { return (first - 0xA1) * Cells + (second - 0xA1); }

    std::array<char16_t, 0xDF - 0xA1 + 1> m_kana{};
    std::vector<char16_t> m_primary;       // JIS X 0208, 94 x 94
    std::vector<char16_t> m_supplementary; // JIS X 0212, 94 x 94
};
