#include "TextRowPainter.h"

#include "CellFont.h"

#include <QPainter>

TextRowPainter::TextRowPainter(QPainter &painter, const CellFont &cells, const QPalette &palette, qint64 firstColumn)
    : m_painter(painter)
    , m_cells(cells)
    , m_palette(palette)
    , m_firstColumn(firstColumn)
    , m_text(cells)
{
}

void TextRowPainter::setSelection(qint64 start, qint64 end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
}

qreal TextRowPainter::xOfColumn(qint64 column) const
{
    return qreal(column - m_firstColumn) * m_cells.cellWidth();
}

void TextRowPainter::paintRow(int y, const TextNavigator::Span &line, const std::vector<TextNavigator::Cell> &cells, bool hasBreak)
{
    const int height = m_cells.lineHeight();
    for (const auto &cell : cells) {
        const qreal x = xOfColumn(cell.offset - line.start);
        const bool selected = isSelected(cell.offset);
        if (selected)
            m_painter.fillRect(QRectF(x, y, qreal(cell.width) * m_cells.cellWidth(), height), m_palette.brush(QPalette::Highlight));
        m_text.add(x, y, cell.character, cell.width, selected ? CellTextBatch::SelectedText : CellTextBatch::Text);
    }
    if (hasBreak && isSelected(line.end))
        m_painter.fillRect(QRectF(xOfColumn(line.end - line.start), y, m_cells.cellWidth(), height), m_palette.brush(QPalette::Highlight));
}

void TextRowPainter::paintCaret(int y, const TextNavigator::Span &line, qint64 position)
{
    const qreal x = xOfColumn(position - line.start);
    if (x >= 0)
        m_caret = QRectF(x, y, 1, m_cells.lineHeight());
}

void TextRowPainter::finish()
{
    m_text.draw(m_painter, m_palette);
    if (m_caret)
        m_painter.fillRect(*m_caret, m_palette.color(QPalette::Text));
}
