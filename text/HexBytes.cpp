#include "HexBytes.h"

#include <cstdint>

void appendHexBytes(QString &out, const char *bytes, qint64 n, qint64 index)
{
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    const qsizetype start = out.size();
    out.resize(start + qsizetype(n) * 3 - (index == 0 && n > 0 ? 1 : 0));
    char16_t *p = reinterpret_cast<char16_t *>(out.data()) + start;
    for (qint64 i = 0; i < n; ++i, ++index) {
        if (index > 0)
            *p++ = index % 16 == 0 ? u'\n' : u' ';
        const auto b = std::uint8_t(bytes[i]);
        *p++ = Digits[b >> 4];
        *p++ = Digits[b & 15];
    }
}
