#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <string>

// The dump list: a heading, then one line per 16 bytes:
//
//   Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
//   --------+------------------------------------------------:
//   00000000| 48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 21 0D 0A 00: Hello, world!...
//
// Lines are separated by CR LF; the finished text ends with CR LF. Addresses
// are at least 8 uppercase hex digits and grow past FFFFFFFF. The character
// column shows bytes 20-7E as themselves, 00-0F and 80-FF as ".", and
// 10-1F and 7F as a space.
//
// Only the first and the last `keep` characters of the text can be read, so
// that memory stays fixed however long the file: the text is held as its
// first `keep` characters, a ring of its last `keep` characters and its total
// length. Every character is ASCII.
class DumpList
{
public:
    static constexpr qsizetype DumpLimit = 65531;

    explicit DumpList(qsizetype keep = DumpLimit);

    // Heading and rule line; the rule line stays open until the first byte.
    void BeginDumpList();
    // Adds one byte in file order, opening a new line every 16 bytes.
    void AppendDumpByte(std::uint8_t value);
    // Same result as AppendDumpByte for each byte, a line at a time.
    void AppendDumpBytes(const char *data, qsizetype n);
    // Pads the last line to the separator column and closes it with CR LF.
    void FinishDumpList();

    qint64 length() const { return m_length; }
    QString first(qsizetype count) const;
    QString last(qsizetype count) const;

    // State of the line being built (see the heading above).
    int LineByteCount = 0;
    qint64 LineAddress = 0;
    std::string LineText;

private:
    void write(const char *text, qsizetype n);
    void write(const std::string &text) { write(text.data(), qsizetype(text.size())); }
    void breakLine();
    qsizetype formatBreak(char *into) const;
    void appendFullLines(const char *data, qint64 lineCount);
    void appendFullLine(const char *data);
    void skipFullLines(qint64 lineCount);
    qsizetype formatAddress(char *into, qint64 address) const;

    qsizetype m_keep;
    std::string m_head; // the first m_keep characters
    std::string m_ring; // the last m_keep characters, at position (offset % m_keep)
    qint64 m_length = 0;
};
