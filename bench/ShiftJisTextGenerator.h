#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Japanese text lines as code page 932 bytes, the same for the same seed:
// runs of kanji, hiragana and katakana with punctuation, and now and then
// an ASCII word or number between spaces. Every line ends with CR LF; one in
// twenty is empty. Double-byte characters are encoded straight from their
// JIS row and cell, and every one of them is checked once against the
// engine's own code page table, so the text holds only characters the code
// page defines.
class ShiftJisTextGenerator
{
public:
    explicit ShiftJisTextGenerator(std::uint64_t seed);

    // Appends the next line, CR LF included.
    void appendLine(std::string &out);
    // Appends exactly `n` bytes: lines, then a line of spaces (or a lone
    // space) where the next line would not fit.
    void appendText(std::string &out, std::size_t n);

private:
    using Pair = std::uint16_t; // lead byte << 8 | trail byte

    std::uint64_t next();
    // 0 to n - 1, n < 2^32.
    std::size_t below(std::size_t n) { return std::size_t((next() >> 32) * n >> 32); }
    void appendPiece(std::string &out);
    void appendRun(std::string &out, const std::vector<Pair> &pool, std::size_t minLength, std::size_t maxLength);
    void appendAsciiWord(std::string &out);

    std::uint64_t m_state;
    std::vector<Pair> m_kanji;
    std::vector<Pair> m_hiragana;
    std::vector<Pair> m_katakana;
    std::vector<Pair> m_fullWidthDigits;
    std::string m_pending; // the line that did not fit in appendText
};
