#pragma once

#include <cstdint>
#include <optional>

// Where a double-byte character of code page 932 stands: in JIS X 0208, or
// in one of the areas that only some systems define (機種依存文字), which are
// the characters that turn into others or into nothing elsewhere.
//
// Rows and cells (区点) are counted as JIS counts them, extended past row 94
// the way Shift-JIS extends its lead bytes: lead F0 starts row 95.
enum class Cp932Area {
    Jis0208,        // rows 1-8 and 16-84
    NecSpecial,     // row 13: ① Ⅰ ㍉ and the like
    NecSelectedIbm, // rows 89-92 (lead ED, EE)
    IbmExtension,   // rows 115-119 (lead FA-FC)
    UserDefined,    // rows 95-114 (lead F0-F9), 外字
    Unassigned,     // the other rows: no character at all
};

struct JisRowCell
{
    int row;  // 1-120
    int cell; // 1-94
};

// For a lead byte and a trail byte as Cp932::isLeadByte/isTrailByte take them.
JisRowCell cp932RowCell(std::uint8_t lead, std::uint8_t trail);
Cp932Area cp932Area(std::uint8_t lead, std::uint8_t trail);

// The areas that only some systems define.
constexpr bool isPlatformDependent(Cp932Area area)
{
    return area == Cp932Area::NecSpecial || area == Cp932Area::NecSelectedIbm
        || area == Cp932Area::IbmExtension || area == Cp932Area::UserDefined;
}

// Whether a lead byte can start a platform-dependent character: a quick
// filter ahead of cp932Area().
constexpr bool isPlatformDependentLead(std::uint8_t lead)
{
    return lead == 0x87 || lead == 0xED || lead == 0xEE || (lead >= 0xF0 && lead <= 0xFC);
}

// The Unicode character that JIS's own Shift_JIS mapping gives this
// double-byte character, where it differs from code page 932's (〜 ‖ − ¢ £
// ¬ ＼): text that passes through the other mapping changes.
std::optional<char16_t> jisShiftJisDifference(std::uint8_t lead, std::uint8_t trail);
