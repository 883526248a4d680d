#include "TextNavigator.h"

#include "Cp932.h"
#include "FileText.h"

#include <algorithm>

TextNavigator::TextNavigator(const FileText &text)
    : m_text(text)
{
}

qint64 TextNavigator::size() const
{
    return m_text.size();
}

qint64 TextNavigator::lineCount() const
{
    return m_text.index().lines().lineCount();
}

qint64 TextNavigator::longestLineLength() const
{
    return m_text.index().lines().longestLineLength();
}

qint64 TextNavigator::lineStart(qint64 line) const
{
    return m_text.index().lines().lineStart(m_text.data(), line);
}

qint64 TextNavigator::lineEnd(qint64 line) const
{
    return m_text.index().lines().lineEnd(m_text.data(), line);
}

std::vector<TextNavigator::Span> TextNavigator::lines(qint64 first, qint64 count) const
{
    return m_text.index().lines().lines(m_text.data(), first, count);
}

qint64 TextNavigator::lineOf(qint64 offset) const
{
    return m_text.index().lines().lineOf(m_text.data(), offset);
}

qint64 TextNavigator::characterStart(qint64 offset) const
{
    return m_text.index().boundaries().characterStart(m_text.data(), offset);
}

qint64 TextNavigator::positionNear(qint64 offset) const
{
    const qint64 start = characterStart(offset);
    const char *text = m_text.data();
    const bool insideCrLf = start > 0 && start < m_text.size() && text[start] == '\n' && text[start - 1] == '\r';
    return insideCrLf ? start - 1 : start;
}

qint64 TextNavigator::positionAfter(qint64 position) const
{
    const char *text = m_text.data();
    const qint64 size = m_text.size();
    if (position >= size)
        return size;
    if (text[position] == '\r' && position + 1 < size && text[position + 1] == '\n')
        return position + 2;
    return position + Cp932::characterLength(text + position, size - position);
}

qint64 TextNavigator::positionBefore(qint64 position) const
{
    const char *text = m_text.data();
    if (position <= 0)
        return 0;
    if (position >= 2 && text[position - 1] == '\n' && text[position - 2] == '\r')
        return position - 2;
    return characterStart(position - 1);
}

qint64 TextNavigator::positionInLine(const Span &line, qint64 column) const
{
    const qint64 offset = line.start + std::clamp<qint64>(column, 0, line.end - line.start);
    return offset == line.end ? offset : characterStart(offset);
}

std::vector<TextNavigator::Cell> TextNavigator::cells(const Span &line, qint64 firstColumn, qint64 columnCount) const
{
    std::vector<Cell> cells;
    const qint64 from = line.start + std::max<qint64>(firstColumn, 0);
    const qint64 to = std::min(line.end, from + std::max<qint64>(columnCount, 0));
    if (from >= to)
        return cells;
    const Cp932 &codePage = Cp932::instance();
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(m_text.data());
    cells.reserve(std::size_t(to - from + 1));
    for (qint64 at = characterStart(from); at < to;) {
        const int width = int(Cp932::characterLength(m_text.data() + at, line.end - at));
        const char16_t character = width == 2 ? codePage.doubleByte(bytes[at], bytes[at + 1]) : codePage.singleByte(bytes[at]);
        cells.push_back({at, character, width});
        at += width;
    }
    return cells;
}

QString TextNavigator::decode(qint64 from, qint64 to) const
{
    return Cp932::instance().decode(m_text.data() + from, to - from);
}

QString TextNavigator::plainText(qint64 from, qint64 to) const
{
    QString text = decode(from, to);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}
