#pragma once

#include "CharacterKind.h"

#include <QtGlobal>
#include <array>
#include <bitset>
#include <cstdint>

// Which characters of code page 932 are of each CharacterKind, in tables
// built once: a bit for every byte and every pair of bytes, and the byte
// values a vector filter looks for first.
class CharacterKinds
{
public:
    static const CharacterKinds &instance();

    // The character of `length` (1 or 2) bytes that starts at `at`.
    bool is(CharacterKind kind, const std::uint8_t *at, qint64 length) const
    {
        const auto &table = m_tables[std::size_t(kind)];
        return length == 2 ? table.pairs[std::size_t(at[0]) << 8 | at[1]] : table.singles[at[0]];
    }
    // Lead bytes of which some pair is of `kind`.
    bool mayLead(CharacterKind kind, std::uint8_t lead) const { return m_tables[std::size_t(kind)].leads[lead]; }
    // Bytes of `kind` as characters of one byte (a lead byte alone is
    // invalid).
    bool singleIs(CharacterKind kind, std::uint8_t b) const { return m_tables[std::size_t(kind)].singles[b]; }

private:
    CharacterKinds();

    struct Table
    {
        std::bitset<256> singles;
        std::bitset<256> leads;
        std::bitset<65536> pairs;
    };
    std::array<Table, 2> m_tables;
};
