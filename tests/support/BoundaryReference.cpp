#include "BoundaryReference.h"

#include <QTextBoundaryFinder>
#include <iterator>
#include <set>

namespace {

using Relation = TextBoundaries::Relation;

std::set<int> itemBoundaries(const QString &text, QAccessible::TextBoundaryType type)
{
    const int length = int(text.size());
    std::set<int> all{0, length};
    const auto finderType = type == QAccessible::WordBoundary       ? QTextBoundaryFinder::Word
                            : type == QAccessible::SentenceBoundary ? QTextBoundaryFinder::Sentence
                                                                    : QTextBoundaryFinder::Grapheme;
    QTextBoundaryFinder finder(finderType, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < length; at = finder.toNextBoundary()) {
        if (finder.boundaryReasons() & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem))
            all.insert(int(at));
    }
    return all;
}

std::set<int> lineStarts(const QString &text)
{
    std::set<int> starts{0};
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            starts.insert(i + 1);
    }
    return starts;
}

int lastAtOrBefore(const std::set<int> &set, int at)
{
    return *std::prev(set.upper_bound(at));
}

int firstAfterOr(const std::set<int> &set, int at, int none)
{
    const auto next = set.upper_bound(at);
    return next == set.end() ? none : *next;
}

TextBoundaries::Item line(const QString &text, int offset, Relation relation)
{
    const int length = int(text.size());
    const std::set<int> starts = lineStarts(text);
    const auto lineFrom = [&](int start) { return TextBoundaries::Item{start, firstAfterOr(starts, start, length)}; };
    const int here = lastAtOrBefore(starts, offset);
    if (relation == Relation::At)
        return lineFrom(here);
    if (relation == Relation::Before)
        return offset > 0 && here > 0 ? lineFrom(lastAtOrBefore(starts, here - 1)) : TextBoundaries::Item{};
    const int next = firstAfterOr(starts, offset, -1);
    return offset < length && next >= 0 ? lineFrom(next) : TextBoundaries::Item{};
}

TextBoundaries::Item item(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    const int length = int(text.size());
    const std::set<int> all = itemBoundaries(text, type);
    if (relation == Relation::At) {
        if (type == QAccessible::CharBoundary && offset == length)
            return {};
        const int start = lastAtOrBefore(all, std::min(offset, length - 1));
        return {start, firstAfterOr(all, start, length)};
    }
    if (relation == Relation::Before) {
        const int end = lastAtOrBefore(all, offset);
        return offset > 0 && end > 0 ? TextBoundaries::Item{lastAtOrBefore(all, end - 1), end} : TextBoundaries::Item{};
    }
    const int start = firstAfterOr(all, offset, length);
    return offset < length && start < length ? TextBoundaries::Item{start, firstAfterOr(all, start, length)} : TextBoundaries::Item{};
}

} // namespace

TextBoundaries::Item referenceItem(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    if (text.isEmpty() || offset < 0 || offset > text.size())
        return {};
    if (type == QAccessible::NoBoundary)
        return relation == Relation::At ? TextBoundaries::Item{0, int(text.size())} : TextBoundaries::Item{};
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
        return line(text, offset, relation);
    return item(text, offset, type, relation);
}
