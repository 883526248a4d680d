#include "EucJpCodec.h"

#include "IconvCharacter.h"

#include <stdexcept>

EucJpCodec::EucJpCodec() : m_primary(Cells * Cells), m_supplementary(Cells * Cells)
{
    iconv_t cd = iconv_open("UTF-16LE", "EUC-JP");
    if (cd == iconv_t(-1))
        throw std::runtime_error("the system has no EUC-JP converter (iconv)");
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const char pair[2] = {char(0x8E), char(b)};
        m_kana[b - 0xA1] = iconvCharacter(cd, pair, 2);
    }
    for (int first = 0xA1; first <= 0xFE; ++first) {
        for (int second = 0xA1; second <= 0xFE; ++second) {
            const char bytes[3] = {char(0x8F), char(first), char(second)};
            m_primary[indexOf(first, second)] = iconvCharacter(cd, bytes + 1, 2);
            m_supplementary[indexOf(first, second)] = iconvCharacter(cd, bytes, 3);
        }
    }
    iconv_close(cd);
}

DecodedCharacter EucJpCodec::characterAt(const char *data, qsizetype n) const
{
    return read(data, n);
}

std::optional<EucJpCodec::RowCell> EucJpCodec::rowCell(const char *data, qsizetype n)
{
    const bool supplementary = n > 0 && quint8(data[0]) == 0x8F;
    const qsizetype at = supplementary ? 1 : 0;
    if (n < at + 2 || !isJisByte(quint8(data[at])) || !isJisByte(quint8(data[at + 1])))
        return std::nullopt;
    return RowCell{supplementary, {quint8(data[at]) - 0xA0, quint8(data[at + 1]) - 0xA0}};
}
