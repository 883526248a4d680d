#include "Cp932Area.h"

JisRowCell cp932RowCell(std::uint8_t lead, std::uint8_t trail)
{
    int row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 1;
    int cell;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x9E;
    } else {
        cell = trail - 0x3F - (trail >= 0x80 ? 1 : 0);
    }
    return {row, cell};
}

Cp932Area cp932Area(std::uint8_t lead, std::uint8_t trail)
{
    const int row = cp932RowCell(lead, trail).row;
    if (row <= 8 || (row >= 16 && row <= 84))
        return Cp932Area::Jis0208;
    if (row == 13)
        return Cp932Area::NecSpecial;
    if (row >= 89 && row <= 92)
        return Cp932Area::NecSelectedIbm;
    if (row >= 95 && row <= 114)
        return Cp932Area::UserDefined;
    if (row >= 115 && row <= 119)
        return Cp932Area::IbmExtension;
    return Cp932Area::Unassigned;
}

std::optional<char16_t> jisShiftJisDifference(std::uint8_t lead, std::uint8_t trail)
{
    if (lead != 0x81)
        return std::nullopt;
    switch (trail) {
    case 0x5F: return u'\u005C'; // REVERSE SOLIDUS; code page 932: FULLWIDTH REVERSE SOLIDUS
    case 0x60: return u'\u301C'; // WAVE DASH; FULLWIDTH TILDE
    case 0x61: return u'\u2016'; // DOUBLE VERTICAL LINE; PARALLEL TO
    case 0x7C: return u'\u2212'; // MINUS SIGN; FULLWIDTH HYPHEN-MINUS
    case 0x91: return u'\u00A2'; // CENT SIGN; FULLWIDTH CENT SIGN
    case 0x92: return u'\u00A3'; // POUND SIGN; FULLWIDTH POUND SIGN
    case 0xCA: return u'\u00AC'; // NOT SIGN; FULLWIDTH NOT SIGN
    default: return std::nullopt;
    }
}
