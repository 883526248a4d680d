#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Code page 932 (Shift-JIS) as this program reads it.
//
// Bytes are split into characters by their own values, never by a decoder's
// guess: a lead byte (81-9F, E0-FC) followed by a trail byte (40-7E, 80-FC)
// is one double-byte character; every other byte, a lead byte at the very end
// of the data included, is one single-byte character. So splitting never
// loses or invents a byte, whatever the data.
//
// The Unicode of each character comes from the system's own CP932 converter
// (glibc iconv), read once into tables. A character the code page does not
// define becomes U+FFFD.
class Cp932
{
public:
    static const Cp932 &instance();

    static constexpr bool isLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
    static constexpr bool isTrailByte(std::uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

    // Length in bytes (1 or 2) of the character that starts at data[0]; n > 0.
    static qsizetype characterLength(const char *data, qsizetype n)
    {
        return n >= 2 && isLeadByte(std::uint8_t(data[0])) && isTrailByte(std::uint8_t(data[1])) ? 2 : 1;
    }

    char16_t singleByte(std::uint8_t b) const { return m_single[b]; }
    char16_t doubleByte(std::uint8_t lead, std::uint8_t trail) const;

    // Decodes data[0..n), which must start on a character boundary.
    QString decode(const char *data, qsizetype n) const;

    static constexpr char16_t Replacement = 0xFFFD;

private:
    Cp932();

    static constexpr int LeadCount = 0x9F - 0x81 + 1 + 0xFC - 0xE0 + 1;
    static int leadIndex(std::uint8_t lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); }

    std::array<char16_t, 256> m_single{};
    std::array<std::array<char16_t, 256>, LeadCount> m_double{};
};
