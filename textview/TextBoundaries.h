#pragma once

#include <QAccessible>
#include <QString>

// The character, word, sentence, line or paragraph that a screen reader asks
// for at, before or after an offset of a short text (the few kilobytes of a
// long text around the offset, as AccessibleText gives them).
//
// Characters (grapheme clusters), words and sentences are those of Qt's
// QTextBoundaryFinder: an item runs from one boundary where an item starts
// or ends to the next one; the text's start and end always count as such a
// boundary, so an item at the start of a text that starts with no word is
// found too. A line (and a paragraph) ends after its LF. At the end of the
// text, the item at the end is the last one (a line after a final LF is
// empty); the character at the end is none.
//
// Every query walks from the offset only to the item boundaries it needs,
// at most two either side: never the whole text, never a loop without end.
class TextBoundaries
{
public:
    enum class Relation { Before, At, After };

    struct Item
    {
        int start = -1;
        int end = -1;
        bool found() const { return start >= 0; }
    };

    // 0 <= offset <= text.size(); anything else finds nothing.
    static Item find(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation);

private:
    static Item findLine(const QString &text, int offset, Relation relation);
    static Item findItem(const QString &text, int offset, QAccessible::TextBoundaryType type, Relation relation);
};
