#include "AccessibleText.h"

#include <algorithm>
#include <new>

AccessibleText::AccessibleText(const TextNavigator &text, BytePosition cursor)
    : m_text(text)
{
    const qint64 total = text.characterCount().value();
    if (total <= std::numeric_limits<int>::max()) {
        m_count = total;
        return;
    }
    const qint64 step = Window / 2;
    m_first = CharacterCount(std::clamp<qint64>(text.charactersBefore(cursor).value() / step * step - step / 2, 0, total - Window));
    m_count = Window;
}

int AccessibleText::characterOffsetOf(BytePosition position) const
{
    return int(std::clamp<qint64>(m_text.charactersBefore(position) - m_first, 0, m_count));
}

BytePosition AccessibleText::positionOf(int characterOffset) const
{
    return m_text.positionAfterCharacters(m_first + std::clamp<qint64>(characterOffset, 0, m_count));
}

QString AccessibleText::text(int start, int end) const
{
    const BytePosition from = positionOf(start);
    BytePosition to = std::max(from, positionOf(end));
    if (to - from > RangeLimit)
        to = m_text.positionNear(from + RangeLimit);
    try {
        QString text = m_text.plainText(from, to);
        text.replace(QChar(0), QChar(0x2400));
        return text;
    } catch (const std::bad_alloc &) {
        return QString();
    }
}

AccessibleText::Item AccessibleText::item(int offset, QAccessible::TextBoundaryType type, TextBoundaries::Relation relation) const
{
    if (offset == -1)
        offset = characterCount();
    if (offset < 0 || offset > characterCount())
        return {};
    if (type == QAccessible::NoBoundary) {
        if (relation != TextBoundaries::Relation::At || m_count == 0)
            return {};
        QString all = text(0, characterCount());
        const int end = int(all.size());
        return {0, end, std::move(all)};
    }
    const int from = std::max(offset - Reach, 0);
    const QString around = text(from, int(std::min<qint64>(qint64(offset) + Reach, m_count)));
    const TextBoundaries::Item found = TextBoundaries::find(around, std::min(offset - from, int(around.size())), type, relation);
    if (!found.found())
        return {};
    return {from + found.start, from + found.end, around.mid(found.start, found.end - found.start)};
}
