#include "ShiftJisTextGenerator.h"

#include "Cp932.h"

#include <stdexcept>

namespace {

using Pair = std::uint16_t; // lead byte << 8 | trail byte

constexpr std::uint16_t Comma = 0x8141;  // 、
constexpr std::uint16_t Stop = 0x8142;   // 。
constexpr std::uint16_t LongVowel = 0x815B; // ー

void appendPair(std::string &out, std::uint16_t pair)
{
    out.push_back(char(pair >> 8));
    out.push_back(char(pair & 0xFF));
}

Pair fromJis(int row, int cell)
{
    const int lead = (row - 1) / 2 + (row <= 62 ? 0x81 : 0xC1);
    const int trail = row % 2 == 1 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    return Pair(lead << 8 | trail);
}

std::vector<Pair> jisRows(int firstRow, int lastRow, int lastCellOfLastRow)
{
    std::vector<Pair> pool;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int lastCell = row == lastRow ? lastCellOfLastRow : 94;
        for (int cell = 1; cell <= lastCell; ++cell)
            pool.push_back(fromJis(row, cell));
    }
    return pool;
}

void checkDefined(const std::vector<Pair> &pool)
{
    const Cp932 &codePage = Cp932::instance();
    for (const Pair pair : pool) {
        const auto lead = std::uint8_t(pair >> 8);
        const auto trail = std::uint8_t(pair & 0xFF);
        if (!Cp932::isLeadByte(lead) || !Cp932::isTrailByte(trail) || codePage.doubleByte(lead, trail) == Cp932::Replacement)
            throw std::logic_error("generated a byte pair the code page does not define");
    }
}

} // namespace

ShiftJisTextGenerator::ShiftJisTextGenerator(std::uint64_t seed)
    : m_state(seed)
    , m_kanji(jisRows(16, 47, 51)) // the first level of kanji
    , m_hiragana(jisRows(4, 4, 83))
    , m_katakana(jisRows(5, 5, 86))
{
    for (int cell = 16; cell <= 25; ++cell)
        m_fullWidthDigits.push_back(fromJis(3, cell));
    for (const auto *pool : {&m_kanji, &m_hiragana, &m_katakana, &m_fullWidthDigits})
        checkDefined(*pool);
    checkDefined({Comma, Stop, LongVowel});
}

void ShiftJisTextGenerator::appendLine(std::string &out)
{
    if (below(20) == 0) {
        out += "\r\n";
        return;
    }
    const std::size_t start = out.size();
    const std::size_t length = 20 + below(100); // bytes, roughly
    while (out.size() - start < length)
        appendPiece(out);
    appendPair(out, Stop);
    out += "\r\n";
}

void ShiftJisTextGenerator::appendText(std::string &out, std::size_t n)
{
    const std::size_t end = out.size() + n;
    while (out.size() < end) {
        if (m_pending.empty())
            appendLine(m_pending);
        if (out.size() + m_pending.size() > end)
            break;
        out += m_pending;
        m_pending.clear();
    }
    const std::size_t rest = end - out.size();
    out.append(rest >= 2 ? rest - 2 : rest, ' ').append(rest >= 2 ? "\r\n" : "");
}

// splitmix64: small, fast and the same everywhere.
std::uint64_t ShiftJisTextGenerator::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void ShiftJisTextGenerator::appendPiece(std::string &out)
{
    const std::size_t kind = below(100);
    if (kind < 36)
        appendRun(out, m_kanji, 1, 3);
    else if (kind < 78)
        appendRun(out, m_hiragana, 1, 5);
    else if (kind < 87) {
        appendRun(out, m_katakana, 2, 5);
        if (below(3) == 0)
            appendPair(out, LongVowel);
    } else if (kind < 92)
        appendAsciiWord(out);
    else if (kind < 94)
        appendRun(out, m_fullWidthDigits, 1, 4);
    else
        appendPair(out, Comma);
}

void ShiftJisTextGenerator::appendRun(std::string &out, const std::vector<Pair> &pool, std::size_t minLength, std::size_t maxLength)
{
    const std::size_t length = minLength + below(maxLength - minLength + 1);
    for (std::size_t i = 0; i < length; ++i)
        appendPair(out, pool[below(pool.size())]);
}

void ShiftJisTextGenerator::appendAsciiWord(std::string &out)
{
    out.push_back(' ');
    const bool number = below(3) == 0;
    const std::size_t length = number ? 1 + below(4) : 2 + below(8);
    for (std::size_t i = 0; i < length; ++i)
        out.push_back(number ? char('0' + below(10)) : char((i == 0 && below(2) ? 'A' : 'a') + below(26)));
    out.push_back(' ');
}
