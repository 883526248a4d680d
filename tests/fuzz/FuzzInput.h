#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A fuzz target's input read as its choices, then its text: each choice is
// taken from the front (0 once the input is used up), the text is what is
// left. A small input so reaches texts and block lengths of any size.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : m_data(data), m_left(size) {}

    // A number in [0, below), from one byte, or two when below > 256.
    unsigned take(unsigned below)
    {
        unsigned value = takeByte();
        if (below > 256)
            value = value << 8 | takeByte();
        return below ? value % below : 0;
    }

    QByteArray rest() const { return QByteArray(reinterpret_cast<const char *>(m_data), qsizetype(m_left)); }

private:
    unsigned takeByte()
    {
        if (m_left == 0)
            return 0;
        --m_left;
        return *m_data++;
    }

    const std::uint8_t *m_data;
    std::size_t m_left;
};

// A difference between an implementation and its reference: tells what
// differs and ends the run, so that libFuzzer keeps the input.
[[noreturn]] inline void fuzzFinding(const QString &what)
{
    std::fprintf(stderr, "difference: %s\n", qPrintable(what));
    std::abort();
}
