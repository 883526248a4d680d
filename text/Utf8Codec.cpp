#include "Utf8Codec.h"

namespace {

// A lead byte's sequence: how many bytes follow it, the range of the first
// of them (which rules out overlongs, surrogates and > U+10FFFF) and the
// bits the lead contributes.
struct Lead
{
    int following;
    quint8 low;
    quint8 high;
    char32_t bits;
};

Lead leadOf(quint8 b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return {1, 0x80, 0xBF, char32_t(b & 0x1F)};
    if (b >= 0xE0 && b <= 0xEF) {
        const quint8 low = b == 0xE0 ? 0xA0 : 0x80;
        const quint8 high = b == 0xED ? 0x9F : 0xBF;
        return {2, low, high, char32_t(b & 0x0F)};
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const quint8 low = b == 0xF0 ? 0x90 : 0x80;
        const quint8 high = b == 0xF4 ? 0x8F : 0xBF;
        return {3, low, high, char32_t(b & 0x07)};
    }
    return {0, 0, 0, 0}; // 80-C1 and F5-FF start nothing
}

} // namespace

DecodedCharacter Utf8Codec::characterAt(const char *data, qsizetype n) const
{
    const auto b = quint8(data[0]);
    if (b < 0x80)
        return {1, b, true};
    const Lead lead = leadOf(b);
    if (lead.following == 0)
        return {};
    char32_t code = lead.bits;
    qsizetype length = 1;
    for (int i = 0; i < lead.following; ++i, ++length) {
        if (length >= n)
            return {length, Replacement, false};
        const auto c = quint8(data[length]);
        const bool inRange = i == 0 ? c >= lead.low && c <= lead.high : isContinuation(c);
        if (!inRange)
            return {length, Replacement, false};
        code = code << 6 | (c & 0x3F);
    }
    return {length, code, true};
}

qsizetype Utf8Codec::characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart) const
{
    qsizetype lead = p;
    while (lead > knownStart && p - lead < 3 && isContinuation(quint8(text[lead])))
        --lead;
    if (lead < p && !isContinuation(quint8(text[lead])) && lead + characterLength(text + lead, size - lead) > p)
        return lead;
    return p;
}
