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

LineNumber TextNavigator::lineCount() const
{
    return m_text.index().lines().lineCount();
}

qint64 TextNavigator::longestLineLength() const
{
    return m_text.index().lines().longestLineLength();
}

BytePosition TextNavigator::lineStart(LineNumber line) const
{
    return m_text.index().lines().lineStart(m_text.data(), line);
}

BytePosition TextNavigator::lineEnd(LineNumber line) const
{
    return m_text.index().lines().lineEnd(m_text.data(), line);
}

std::vector<TextNavigator::Span> TextNavigator::lines(LineNumber first, qint64 count) const
{
    return m_text.index().lines().lines(m_text.data(), first, count);
}

LineNumber TextNavigator::lineOf(BytePosition at) const
{
    return m_text.index().lines().lineOf(m_text.data(), at);
}

BytePosition TextNavigator::characterStart(BytePosition at) const
{
    return m_text.index().characters().characterStart(m_text.data(), at);
}

BytePosition TextNavigator::positionNear(BytePosition at) const
{
    const BytePosition start = characterStart(at);
    const bool insideCrLf = start > BytePosition(0) && start < end() && byteAt(start) == '\n' && byteAt(start - 1) == '\r';
    return insideCrLf ? start - 1 : start;
}

BytePosition TextNavigator::positionAfter(BytePosition position) const
{
    if (position >= end())
        return end();
    if (byteAt(position) == '\r' && position + 1 < end() && byteAt(position + 1) == '\n')
        return position + 2;
    return position + Cp932::characterLength(data() + position.value(), end() - position);
}

BytePosition TextNavigator::positionBefore(BytePosition position) const
{
    if (position <= BytePosition(0))
        return BytePosition(0);
    if (position >= BytePosition(2) && byteAt(position - 1) == '\n' && byteAt(position - 2) == '\r')
        return position - 2;
    return characterStart(position - 1);
}

CharacterCount TextNavigator::characterCount() const
{
    return m_text.index().characters().characterCount();
}

// From the checkpoint at or before `position`.
CharacterCount TextNavigator::charactersBefore(BytePosition position) const
{
    const CharacterIndex &characters = m_text.index().characters();
    position = std::clamp(position, BytePosition(0), end());
    if (position == end())
        return characterCount();
    const CharacterIndex::Checkpoint checkpoint = characters.checkpoint(CharacterIndex::checkpointOf(position));
    CharacterCount count = checkpoint.before;
    for (BytePosition at = startOfStep(checkpoint.start); at < position; ++count)
        at = positionAfter(at);
    return count;
}

BytePosition TextNavigator::positionAfterCharacters(CharacterCount count) const
{
    const CharacterIndex &characters = m_text.index().characters();
    if (count <= CharacterCount(0))
        return BytePosition(0);
    if (count >= characterCount())
        return end();
    const CharacterIndex::Checkpoint checkpoint = characters.checkpoint(characters.checkpointBeforeCharacter(count));
    BytePosition at = startOfStep(checkpoint.start);
    for (CharacterCount n = checkpoint.before; n < count; ++n)
        at = positionAfter(at);
    return at;
}

// A checkpoint on the LF of a CR LF is counted with its CR: stepping goes
// on after it.
BytePosition TextNavigator::startOfStep(BytePosition checkpoint) const
{
    const bool onLfOfCrLf = checkpoint > BytePosition(0) && checkpoint < end() && byteAt(checkpoint) == '\n' && byteAt(checkpoint - 1) == '\r';
    return onLfOfCrLf ? checkpoint + 1 : checkpoint;
}

QString TextNavigator::decode(BytePosition from, BytePosition to) const
{
    return Cp932::instance().decode(data() + from.value(), to - from);
}

QString TextNavigator::plainText(BytePosition from, BytePosition to) const
{
    QString text = decode(from, to);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}
