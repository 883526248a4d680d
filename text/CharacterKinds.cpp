#include "CharacterKinds.h"

#include "Cp932.h"
#include "Cp932Area.h"

const CharacterKinds &CharacterKinds::instance()
{
    static const CharacterKinds kinds;
    return kinds;
}

CharacterKinds::CharacterKinds()
{
    const Cp932 &cp932 = Cp932::instance();
    Table &invalid = m_tables[std::size_t(CharacterKind::Invalid)];
    Table &platform = m_tables[std::size_t(CharacterKind::PlatformDependent)];
    for (int b = 0; b < 256; ++b)
        invalid.singles[std::size_t(b)] = cp932.singleByte(std::uint8_t(b)) == Cp932::Replacement;
    for (int lead = 0; lead < 256; ++lead) {
        if (!Cp932::isLeadByte(std::uint8_t(lead)))
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            if (!Cp932::isTrailByte(std::uint8_t(trail)))
                continue;
            const std::size_t pair = std::size_t(lead) << 8 | std::size_t(trail);
            const bool defined = cp932.doubleByte(std::uint8_t(lead), std::uint8_t(trail)) != Cp932::Replacement;
            invalid.pairs[pair] = !defined;
            platform.pairs[pair] = defined && isPlatformDependent(cp932Area(std::uint8_t(lead), std::uint8_t(trail)));
            invalid.leads[std::size_t(lead)] = invalid.leads[std::size_t(lead)] || !defined;
            platform.leads[std::size_t(lead)] = platform.leads[std::size_t(lead)] || platform.pairs[pair];
        }
    }
}
