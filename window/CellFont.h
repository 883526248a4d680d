#pragma once

#include <QFont>
#include <QFontMetricsF>

class QPainter;

// A font laid out in a grid of cells, as a terminal does: every character
// takes one cell per byte of its code page 932 form, so a half-width
// character one cell and a full-width (double-byte) character two, and a
// column of the text is always a column of the grid, however long the line.
//
// A cell is as wide as the font's average printable ASCII advance, rounded
// up to a pixel. A character narrower than its cells is centred in them; a
// wider one is narrowed to fit. A tab is shown as a blank cell, other
// control characters as a dim middle dot.
class CellFont
{
public:
    explicit CellFont(const QFont &font);

    const QFont &font() const { return m_font; }
    int cellWidth() const { return m_cellWidth; }
    int lineHeight() const { return m_lineHeight; }
    int ascent() const { return m_ascent; }

    // Draws `character` into `width` cells whose left edge is x and whose
    // row's top is y. The painter's pen gives the text colour.
    void draw(QPainter &painter, qreal x, qreal y, char16_t character, int width, const QColor &placeholderColor) const;

private:
    static bool isControl(char16_t character) { return character < 0x20 || character == 0x7F; }

    QFont m_font;
    QFontMetricsF m_metrics;
    int m_cellWidth;
    int m_lineHeight;
    int m_ascent;
};
