#include "KeyNavigator.h"

#include <QKeyEvent>

std::optional<KeyNavigator::KeyMove> KeyNavigator::moveFor(const QKeyEvent &event)
{
    struct Key
    {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        Move what;
    };
    static constexpr Key Keys[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::NextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::PreviousChar},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::NextLine},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::PreviousLine},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::StartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::EndOfLine},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::StartOfText},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::EndOfText},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::NextPage},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PreviousPage},
    };
    for (const Key &key : Keys) {
        if (event.matches(key.select))
            return KeyMove{key.what, true};
        if (event.matches(key.move))
            return KeyMove{key.what, false};
    }
    return std::nullopt;
}

KeyNavigator::KeyNavigator(const TextNavigator &text, const LineLayout &layout, qint64 pageRows)
    : m_text(text)
    , m_layout(layout)
    , m_pageRows(std::max<qint64>(pageRows, 1))
{
}

bool KeyNavigator::isVertical(Move move)
{
    return move == Move::NextLine || move == Move::PreviousLine || move == Move::NextPage || move == Move::PreviousPage;
}

BytePosition KeyNavigator::target(const KeyMove &key, TextCursor &cursor) const
{
    const LineNumber line = m_text.lineOf(cursor.position());
    if (!isVertical(key.move))
        cursor.preferredX.reset();
    else if (!cursor.preferredX)
        cursor.preferredX = m_layout.xOf(m_text.lines(line, 1).front(), cursor.position());
    const bool collapse = !key.select && cursor.hasSelection();
    const XUnits x = cursor.preferredX.value_or(XUnits(0));
    switch (key.move) {
    case Move::NextChar:
        return collapse ? cursor.selectionEnd() : m_text.positionAfter(cursor.position());
    case Move::PreviousChar:
        return collapse ? cursor.selectionStart() : m_text.positionBefore(cursor.position());
    case Move::NextLine:
        return positionOnLine(line + 1, x);
    case Move::PreviousLine:
        return positionOnLine(line - 1, x);
    case Move::NextPage:
        return positionOnLine(std::min(line + m_pageRows, m_text.lineCount() - 1), x);
    case Move::PreviousPage:
        return positionOnLine(std::max(line - m_pageRows, LineNumber(0)), x);
    case Move::StartOfLine:
        return m_text.lineStart(line);
    case Move::EndOfLine:
        return m_text.lineEnd(line);
    case Move::StartOfText:
        return BytePosition(0);
    case Move::EndOfText:
        return m_text.end();
    }
    return cursor.position();
}

// The position nearest to x on `line`; before the first line, the text's
// start, after the last, its end.
BytePosition KeyNavigator::positionOnLine(LineNumber line, XUnits x) const
{
    if (line < LineNumber(0))
        return BytePosition(0);
    if (line >= m_text.lineCount())
        return m_text.end();
    return m_layout.positionAt(m_text.lines(line, 1).front(), x);
}
