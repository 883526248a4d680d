#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Bytes from a seeded generator, the same for the same seed, for tests and
// benchmarks alike: every value equally likely, or with `leadBias` of them
// Shift-JIS lead bytes, which the text must pair with whatever follows.
class RandomBytes
{
public:
    explicit RandomBytes(quint32 seed, double leadBias = 0.0) : m_random(seed), m_leadBias(leadBias) {}

    void fill(char *into, qint64 n);
    QByteArray next(qsizetype n);
    // One line: CR and LF replaced by letters.
    QByteArray nextLine(qsizetype n);

private:
    QRandomGenerator m_random;
    double m_leadBias;
};

inline QByteArray randomBytes(qsizetype n, quint32 seed, double leadBias = 0.0)
{
    return RandomBytes(seed, leadBias).next(n);
}
