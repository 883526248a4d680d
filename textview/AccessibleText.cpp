#include "AccessibleText.h"

#include <algorithm>
#include <new>

AccessibleText::AccessibleText(const TextNavigator &text, qint64 cursor)
    : m_text(text)
{
    const qint64 total = text.characterCount();
    if (total <= std::numeric_limits<int>::max()) {
        m_count = total;
        return;
    }
    const qint64 step = Window / 2;
    m_first = std::clamp<qint64>(text.charactersBefore(cursor) / step * step - step / 2, 0, total - Window);
    m_count = Window;
}

int AccessibleText::offsetOf(qint64 position) const
{
    return int(std::clamp<qint64>(m_text.charactersBefore(position) - m_first, 0, m_count));
}

qint64 AccessibleText::positionOf(int offset) const
{
    return m_text.positionAfterCharacters(m_first + std::clamp<qint64>(offset, 0, m_count));
}

QString AccessibleText::text(int start, int end) const
{
    const qint64 from = positionOf(start);
    qint64 to = std::max(from, positionOf(end));
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
