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

const char *TextNavigator::data() const
{
    return m_text.data();
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
    return m_text.index().characters().characterStart(m_text.data(), offset);
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

qint64 TextNavigator::characterCount() const
{
    return m_text.index().characters().characterCount();
}

// From the anchor of the stride that holds `position`.
qint64 TextNavigator::charactersBefore(qint64 position) const
{
    const CharacterIndex &characters = m_text.index().characters();
    position = std::clamp<qint64>(position, 0, size());
    if (position == size())
        return characterCount();
    const CharacterIndex::Anchor anchor = characters.anchor(position / CharacterIndex::Stride);
    qint64 count = anchor.characters;
    for (qint64 at = startOfStep(anchor.position); at < position; ++count)
        at = positionAfter(at);
    return count;
}

qint64 TextNavigator::positionAfterCharacters(qint64 count) const
{
    const CharacterIndex &characters = m_text.index().characters();
    if (count <= 0)
        return 0;
    if (count >= characterCount())
        return size();
    const CharacterIndex::Anchor anchor = characters.anchor(characters.strideBeforeCharacter(count));
    qint64 at = startOfStep(anchor.position);
    for (qint64 n = anchor.characters; n < count; ++n)
        at = positionAfter(at);
    return at;
}

// An anchor on the LF of a CR LF is counted with its CR: stepping goes on
// after it.
qint64 TextNavigator::startOfStep(qint64 anchor) const
{
    const char *text = m_text.data();
    return anchor > 0 && anchor < size() && text[anchor] == '\n' && text[anchor - 1] == '\r' ? anchor + 1 : anchor;
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
