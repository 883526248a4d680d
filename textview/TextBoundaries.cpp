#include "TextBoundaries.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

QTextBoundaryFinder::BoundaryType finderType(QAccessible::TextBoundaryType type)
{
    switch (type) {
    case QAccessible::WordBoundary:
        return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary:
        return QTextBoundaryFinder::Sentence;
    default:
        return QTextBoundaryFinder::Grapheme;
    }
}

// Item boundaries of a text, walked one at a time from a position.
class ItemWalk
{
public:
    ItemWalk(QAccessible::TextBoundaryType type, const QString &text)
        : m_finder(finderType(type), text)
        , m_length(int(text.size()))
    {
    }

    // The last item boundary at or before `position`.
    int atOrBefore(int position)
    {
        if (position >= m_length)
            return m_length;
        m_finder.setPosition(position);
        while (m_finder.position() > 0 && !(m_finder.isAtBoundary() && isItemBoundary()))
            m_finder.toPreviousBoundary();
        return int(std::max<qsizetype>(m_finder.position(), 0));
    }

    // The first item boundary after `position`; the end if none.
    int after(int position)
    {
        if (position >= m_length)
            return m_length;
        m_finder.setPosition(position);
        for (;;) {
            const qsizetype next = m_finder.toNextBoundary();
            if (next < 0 || next >= m_length)
                return m_length;
            if (isItemBoundary())
                return int(next);
        }
    }

private:
    bool isItemBoundary() const
    {
        return m_finder.boundaryReasons() & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
    }

    QTextBoundaryFinder m_finder;
    int m_length;
};

} // namespace

TextBoundaries::Item TextBoundaries::find(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    const int length = int(text.size());
    if (offset < 0 || offset > length || length == 0)
        return {};
    switch (type) {
    case QAccessible::NoBoundary:
        return relation == Relation::At ? Item{0, length} : Item{};
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
        return findLine(text, offset, relation);
    default:
        return findItem(text, offset, type, relation);
    }
}

TextBoundaries::Item TextBoundaries::findItem(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    const int length = int(text.size());
    ItemWalk walk(type, text);
    switch (relation) {
    case Relation::At: {
        if (offset == length && type == QAccessible::CharBoundary)
            return {};
        const int start = walk.atOrBefore(std::min(offset, length - 1));
        return {start, walk.after(start)};
    }
    case Relation::Before: {
        const int end = offset > 0 ? walk.atOrBefore(offset) : 0;
        return end > 0 ? Item{walk.atOrBefore(end - 1), end} : Item{};
    }
    case Relation::After: {
        const int start = offset < length ? walk.after(offset) : length;
        return start < length ? Item{start, walk.after(start)} : Item{};
    }
    }
    return {};
}

// Lines as a text box gives them to a screen reader: each with its LF.
TextBoundaries::Item TextBoundaries::findLine(const QString &text, int offset, Relation relation)
{
    const int length = int(text.size());
    const auto startAtOrBefore = [&](int at) { return at > 0 ? int(text.lastIndexOf(u'\n', at - 1)) + 1 : 0; };
    const auto endAfter = [&](int start) {
        const qsizetype lf = start < length ? text.indexOf(u'\n', start) : -1;
        return lf < 0 ? length : int(lf) + 1;
    };
    switch (relation) {
    case Relation::At: {
        const int start = startAtOrBefore(offset);
        return {start, endAfter(start)};
    }
    case Relation::Before: {
        const int end = offset > 0 ? startAtOrBefore(offset) : 0;
        return end > 0 ? Item{startAtOrBefore(end - 1), end} : Item{};
    }
    case Relation::After: {
        const qsizetype lf = offset < length ? text.indexOf(u'\n', offset) : -1;
        return lf < 0 ? Item{} : Item{int(lf) + 1, endAfter(int(lf) + 1)};
    }
    }
    return {};
}
