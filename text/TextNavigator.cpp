#include "TextNavigator.h"

#include "Cp932.h"
#include "FileText.h"
#include "TextCodec.h"

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
    return isLfOfCrLf(start) ? start - unitBytes() : start;
}

char16_t TextNavigator::unitAt(BytePosition at) const
{
    return m_text.index().lines().unitAt(data(), at);
}

qint64 TextNavigator::unitBytes() const
{
    return m_text.index().lines().unitBytes();
}

bool TextNavigator::isLfOfCrLf(BytePosition at) const
{
    const qint64 unit = unitBytes();
    return at >= BytePosition(unit) && at + unit <= end() && unitAt(at) == '\n' && unitAt(at - unit) == '\r';
}

TextNavigator::Step TextNavigator::step(BytePosition position) const
{
    const qint64 unit = unitBytes();
    if (position + 2 * unit <= end() && unitAt(position) == '\r' && unitAt(position + unit) == '\n')
        return {position + 2 * unit, 1};
    const char *at = data() + position.value();
    if (m_text.encoding() == TextEncoding::Cp932)
        return {position + Cp932::characterLength(at, end() - position), 1};
    const DecodedCharacter c = textCodec(m_text.encoding()).characterAt(at, end() - position);
    return {position + c.length, c.codePoint >= 0x10000 ? 2 : 1};
}

BytePosition TextNavigator::positionAfter(BytePosition position) const
{
    return position >= end() ? end() : step(position).next;
}

BytePosition TextNavigator::positionBefore(BytePosition position) const
{
    if (position <= BytePosition(0))
        return BytePosition(0);
    const qint64 unit = unitBytes();
    if (position >= BytePosition(2 * unit) && isLfOfCrLf(position - unit))
        return position - 2 * unit;
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
    for (BytePosition at = startOfStep(checkpoint.start); at < position;) {
        const Step next = step(at);
        count += next.units;
        at = next.next;
    }
    return count;
}

// A count inside a character of two units gives that character's start.
BytePosition TextNavigator::positionAfterCharacters(CharacterCount count) const
{
    const CharacterIndex &characters = m_text.index().characters();
    if (count <= CharacterCount(0))
        return BytePosition(0);
    if (count >= characterCount())
        return end();
    const CharacterIndex::Checkpoint checkpoint = characters.checkpoint(characters.checkpointBeforeCharacter(count));
    BytePosition at = startOfStep(checkpoint.start);
    for (CharacterCount n = checkpoint.before; n < count && at < end();) {
        const Step next = step(at);
        if (n + next.units > count)
            break;
        n += next.units;
        at = next.next;
    }
    return at;
}

// A checkpoint on the LF of a CR LF is counted with its CR: stepping goes
// on after it.
BytePosition TextNavigator::startOfStep(BytePosition checkpoint) const
{
    return isLfOfCrLf(checkpoint) ? checkpoint + unitBytes() : checkpoint;
}

QString TextNavigator::decode(BytePosition from, BytePosition to) const
{
    if (m_text.encoding() == TextEncoding::Cp932)
        return Cp932::instance().decode(data() + from.value(), to - from);
    return textCodec(m_text.encoding()).decode(data() + from.value(), to - from);
}

QString TextNavigator::plainText(BytePosition from, BytePosition to) const
{
    QString text = decode(from, to);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString TextNavigator::copiedText(BytePosition from, BytePosition to) const
{
    QString text = plainText(from, to);
    if (from == BytePosition(0) && m_text.encoding() != TextEncoding::Cp932 && text.startsWith(QChar(TextCodec::ByteOrderMark)))
        text.remove(0, 1);
    return text;
}
