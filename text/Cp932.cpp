#include "Cp932.h"

#include "IconvCharacter.h"

#include <stdexcept>

const Cp932 &Cp932::instance()
{
    static const Cp932 table;
    return table;
}

Cp932::Cp932()
{
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == iconv_t(-1))
        throw std::runtime_error("the system has no CP932 converter (iconv)");
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        m_single[b] = isLeadByte(std::uint8_t(b)) ? Replacement : iconvCharacter(cd, &byte, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(std::uint8_t(lead)))
            continue;
        auto &row = m_double[leadIndex(std::uint8_t(lead))];
        row.fill(Replacement);
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(std::uint8_t(trail)))
                continue;
            const char pair[2] = {char(lead), char(trail)};
            row[trail] = iconvCharacter(cd, pair, 2);
        }
    }
    iconv_close(cd);
    // The converter maps some bytes that the code page leaves undefined.
    for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF})
        m_single[b] = Replacement;
}

char16_t Cp932::doubleByte(std::uint8_t lead, std::uint8_t trail) const
{
    return m_double[leadIndex(lead)][trail];
}

QString Cp932::decode(const char *data, qsizetype n) const
{
    QString text(n, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < n;) {
        const auto b = std::uint8_t(data[i]);
        if (b < 0x80) { // the common case: ASCII
            out[written++] = m_single[b];
            ++i;
        } else if (characterLength(data + i, n - i) == 2) {
            out[written++] = doubleByte(b, std::uint8_t(data[i + 1]));
            i += 2;
        } else {
            out[written++] = m_single[b];
            ++i;
        }
    }
    text.truncate(written);
    return text;
}
