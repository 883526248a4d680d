#pragma once

#include "CellTextBatch.h"
#include "TextNavigator.h"

#include <QPalette>
#include <QRectF>
#include <optional>
#include <vector>

class CellFont;
class QPainter;

// Paints the rows of a FileTextView: the characters of each line in their
// cells, the selected ones highlighted (and a line's break as one more
// cell), and the caret. Backgrounds are painted as rows come; characters
// and the caret when the paint finishes.
class TextRowPainter
{
public:
    TextRowPainter(QPainter &painter, const CellFont &cells, const QPalette &palette, qint64 firstColumn);

    void setSelection(qint64 start, qint64 end);
    // `hasBreak`: the line ends with a line break, not with the text.
    void paintRow(int y, const TextNavigator::Span &line, const std::vector<TextNavigator::Cell> &cells, bool hasBreak);
    void paintCaret(int y, const TextNavigator::Span &line, qint64 position);
    void finish();

private:
    qreal xOfColumn(qint64 column) const;
    bool isSelected(qint64 offset) const { return offset >= m_selectionStart && offset < m_selectionEnd; }

    QPainter &m_painter;
    const CellFont &m_cells;
    const QPalette &m_palette;
    qint64 m_firstColumn;
    qint64 m_selectionStart = 0;
    qint64 m_selectionEnd = 0;
    CellTextBatch m_text;
    std::optional<QRectF> m_caret;
};
