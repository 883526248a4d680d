#include "Cp932Codec.h"

#include "Cp932.h"

DecodedCharacter Cp932Codec::characterAt(const char *data, qsizetype n) const
{
    const Cp932 &cp932 = Cp932::instance();
    const auto b = quint8(data[0]);
    const qsizetype length = Cp932::characterLength(data, n);
    const char16_t c = length == 2 ? cp932.doubleByte(b, quint8(data[1])) : cp932.singleByte(b);
    return {length, c, c != Replacement};
}
