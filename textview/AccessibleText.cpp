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
