#include "RandomBytes.h"

#include <algorithm>
#include <cstring>

void RandomBytes::fill(char *into, qint64 n)
{
    if (m_leadBias <= 0) {
        for (qint64 i = 0; i < n; i += 4) {
            const quint32 word = m_random.generate();
            std::memcpy(into + i, &word, std::size_t(std::min<qint64>(4, n - i)));
        }
        return;
    }
    for (qint64 i = 0; i < n; ++i) {
        if (m_random.generateDouble() < m_leadBias)
            into[i] = char(0x81 + m_random.bounded(0x1F)); // a lead byte
        else
            into[i] = char(m_random.bounded(256));
    }
}

QByteArray RandomBytes::next(qsizetype n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    fill(bytes.data(), n);
    return bytes;
}

QByteArray RandomBytes::nextLine(qsizetype n)
{
    return next(n).replace('\r', 'x').replace('\n', 'y');
}
