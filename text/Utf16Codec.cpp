#include "Utf16Codec.h"

DecodedCharacter Utf16Codec::characterAt(const char *data, qsizetype n) const
{
    return read(data, n);
}

qsizetype Utf16Codec::characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart) const
{
    const qsizetype unit = p - ((p - knownStart) & 1);
    if (unit + 1 >= size || unit - 2 < knownStart)
        return unit;
    if (isLow(unitAt(text + unit)) && isHigh(unitAt(text + unit - 2)))
        return unit - 2;
    return unit;
}
