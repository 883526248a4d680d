#include "DumpList.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr char Heading[] = "Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
                           "--------+------------------------------------------------";
constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr int BytesPerLine = 16;
constexpr int MinAddressDigits = 8;
constexpr qsizetype CellsWidth = 3 * BytesPerLine;
constexpr qsizetype MaxBreakLength = 2 + BytesPerLine + 2 + 16 + 1;

struct ByteTables
{
    std::array<std::array<char, 2>, 256> hexPair{};
    std::array<char, 256> columnChar{};
    constexpr ByteTables()
    {
        for (int v = 0; v < 256; ++v) {
            hexPair[v] = {HexDigits[v >> 4], HexDigits[v & 15]};
            if (v >= 32 && v <= 126)
                columnChar[v] = char(v);
            else if (v >= 128 || v <= 15)
                columnChar[v] = '.';
            else
                columnChar[v] = ' ';
        }
    }
};
constexpr ByteTables Tables;

int addressDigits(qint64 address)
{
    int digits = MinAddressDigits;
    while (digits < 16 && (quint64(address) >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

// Characters of one full data line after the first, counted from its ": ".
qint64 fullLineLength(qint64 address)
{
    return 2 + BytesPerLine + 2 + addressDigits(address) + 1 + CellsWidth;
}

} // namespace

DumpList::DumpList(qsizetype keep)
    : m_keep(keep)
{
    Q_ASSERT(keep > 0);
}

void DumpList::BeginDumpList()
{
    m_head.clear();
    m_head.reserve(std::size_t(std::min<qsizetype>(m_keep, 1 << 20)));
    m_ring.assign(std::size_t(std::min<qsizetype>(m_keep, 1 << 20)), ' ');
    m_length = 0;
    write(Heading, qsizetype(sizeof Heading - 1));
    LineText.clear();
    LineByteCount = BytesPerLine;
    LineAddress = 0;
}

void DumpList::AppendDumpByte(std::uint8_t value)
{
    if (LineByteCount >= BytesPerLine)
        breakLine();
    const char cell[3] = {' ', Tables.hexPair[value][0], Tables.hexPair[value][1]};
    write(cell, 3);
    LineText.push_back(Tables.columnChar[value]);
    ++LineByteCount;
}

void DumpList::AppendDumpBytes(const char *data, qsizetype n)
{
    while (n > 0 && LineByteCount < BytesPerLine) {
        AppendDumpByte(std::uint8_t(*data++));
        --n;
    }
    const qint64 lines = n / BytesPerLine;
    if (lines > 0) {
        // The first line may close the rule line, so it goes the general way.
        for (int i = 0; i < BytesPerLine; ++i)
            AppendDumpByte(std::uint8_t(data[i]));
        appendFullLines(data + BytesPerLine, lines - 1);
        data += lines * BytesPerLine;
        n -= lines * BytesPerLine;
    }
    while (n-- > 0)
        AppendDumpByte(std::uint8_t(*data++));
}

void DumpList::FinishDumpList()
{
    const std::string padding(std::size_t(3 * (BytesPerLine - LineByteCount)), ' ');
    write(padding);
    write(": ", 2);
    write(LineText);
    write("\r\n", 2);
}

QString DumpList::first(qsizetype count) const
{
    return QString::fromLatin1(m_head.data(), std::min<qsizetype>(count, qsizetype(m_head.size())));
}

QString DumpList::last(qsizetype count) const
{
    count = std::min<qint64>(count, m_length);
    if (m_length <= qint64(m_head.size()))
        return QString::fromLatin1(m_head.data() + m_head.size() - count, count);
    Q_ASSERT(count <= m_keep);
    QString text(count, Qt::Uninitialized);
    const qint64 start = m_length - count;
    for (qsizetype i = 0; i < count;) {
        const qsizetype at = qsizetype((start + i) % m_keep);
        const qsizetype run = std::min<qsizetype>(count - i, m_keep - at);
        for (qsizetype j = 0; j < run; ++j)
            text[i + j] = QLatin1Char(m_ring[std::size_t(at + j)]);
        i += run;
    }
    return text;
}

void DumpList::write(const char *text, qsizetype n)
{
    if (qsizetype(m_head.size()) < m_keep)
        m_head.append(text, std::size_t(std::min<qsizetype>(n, m_keep - qsizetype(m_head.size()))));
    if (m_ring.size() < std::size_t(m_keep) && m_length + n > qint64(m_ring.size()))
        m_ring.resize(std::size_t(std::min<qint64>(m_keep, std::max<qint64>(m_length + n, 2 * m_ring.size()))));
    // Only the last m_keep characters can land in the ring.
    if (n > m_keep) {
        m_length += n - m_keep;
        text += n - m_keep;
        n = m_keep;
    }
    while (n > 0) {
        const qsizetype at = qsizetype(m_length % m_keep);
        const qsizetype run = std::min<qsizetype>(n, m_keep - at);
        std::memcpy(m_ring.data() + at, text, std::size_t(run));
        m_length += run;
        text += run;
        n -= run;
    }
}

void DumpList::breakLine()
{
    char line[MaxBreakLength];
    write(line, formatBreak(line));
    LineAddress += BytesPerLine;
    LineByteCount = 0;
    LineText.clear();
}

// ": ", the column of the line so far, CR LF and the next line's "address|".
qsizetype DumpList::formatBreak(char *into) const
{
    qsizetype n = 0;
    into[n++] = ':';
    into[n++] = ' ';
    std::memcpy(into + n, LineText.data(), LineText.size());
    n += qsizetype(LineText.size());
    into[n++] = '\r';
    into[n++] = '\n';
    n += formatAddress(into + n, LineAddress);
    into[n++] = '|';
    return n;
}

qsizetype DumpList::formatAddress(char *into, qint64 address) const
{
    const int digits = addressDigits(address);
    for (int i = digits - 1; i >= 0; --i, address >>= 4)
        into[i] = HexDigits[address & 15];
    return digits;
}

// Adds whole lines while a full line is pending. Once the head is full,
// lines whose text later lines of the same call would push out of the ring
// are only counted.
void DumpList::appendFullLines(const char *data, qint64 lineCount)
{
    Q_ASSERT(LineByteCount == BytesPerLine);
    for (; lineCount > 0 && qsizetype(m_head.size()) < m_keep; --lineCount, data += BytesPerLine)
        appendFullLine(data);
    const qint64 needed = m_keep / fullLineLength(0) + 2;
    if (lineCount > needed) {
        const qint64 skipped = lineCount - needed;
        skipFullLines(skipped);
        data += skipped * BytesPerLine;
        lineCount = needed;
        for (int i = 0; i < BytesPerLine; ++i) // the column of the last skipped line
            LineText[std::size_t(i)] = Tables.columnChar[std::uint8_t(data[i - BytesPerLine])];
    }
    for (; lineCount > 0; --lineCount, data += BytesPerLine)
        appendFullLine(data);
}

// Closes the pending full line and adds the 16 bytes at `data` as the next.
void DumpList::appendFullLine(const char *data)
{
    char line[MaxBreakLength + CellsWidth];
    qsizetype n = formatBreak(line);
    for (int i = 0; i < BytesPerLine; ++i) {
        const auto v = std::uint8_t(data[i]);
        line[n++] = ' ';
        line[n++] = Tables.hexPair[v][0];
        line[n++] = Tables.hexPair[v][1];
        LineText[std::size_t(i)] = Tables.columnChar[v];
    }
    write(line, n);
    LineAddress += BytesPerLine;
}

// Advances over whole lines without formatting them. The caller writes at
// least m_keep characters afterwards, so nothing stale is ever read.
void DumpList::skipFullLines(qint64 lineCount)
{
    while (lineCount > 0) {
        const int digits = addressDigits(LineAddress);
        // Lines left before the address gains a digit.
        const quint64 limit = digits >= 16 ? ~quint64(0) : (quint64(1) << (4 * digits));
        const qint64 sameWidth = qint64(std::min<quint64>(quint64(lineCount), (limit - quint64(LineAddress)) / BytesPerLine));
        m_length += sameWidth * fullLineLength(LineAddress);
        LineAddress += sameWidth * BytesPerLine;
        lineCount -= sameWidth;
    }
}
