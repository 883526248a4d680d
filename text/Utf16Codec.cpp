#include "Utf16Codec.h"

namespace {

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

char16_t Utf16Codec::unitAt(const char *data) const
{
    const auto first = quint8(data[0]);
    const auto second = quint8(data[1]);
    return m_order == LittleEndian ? char16_t(first | second << 8) : char16_t(first << 8 | second);
}

DecodedCharacter Utf16Codec::characterAt(const char *data, qsizetype n) const
{
    if (n < 2)
        return {};
    const char16_t unit = unitAt(data);
    if (isLow(unit))
        return {2, Replacement, false};
    if (!isHigh(unit))
        return {2, unit, true};
    if (n < 4 || !isLow(unitAt(data + 2)))
        return {2, Replacement, false};
    const char32_t code = 0x10000 + (char32_t(unit - 0xD800) << 10 | char32_t(unitAt(data + 2) - 0xDC00));
    return {4, code, true};
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
