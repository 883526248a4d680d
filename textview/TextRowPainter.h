#pragma once

#include "GlyphBatch.h"
#include "LineLayout.h"
#include "TextNavigator.h"

#include <QRectF>
#include <optional>
#include <vector>

class QPainter;
class QPalette;
class TextFont;

// Paints the rows of a text view: each line's characters where its layout
// places them, the selected ones highlighted (and a selected line break as
// a space after the line), and the caret. Backgrounds are painted as rows
// come; characters and the caret when the paint finishes. x values are in
// layout units; the view's left edge stands at `left` pixels of the text.
class TextRowPainter
{
public:
    using Units = TextMetrics::Units;

    // The view is `width` pixels wide.
    TextRowPainter(QPainter &painter, TextFont &font, const QPalette &palette, qint64 left, int width);

    void setSelection(qint64 start, qint64 end);
    // The lines from `firstLine` on, the first at `top`, down to `bottom`,
    // and the caret at `caret` unless it is negative.
    void paintLines(const TextNavigator &text, const LineLayout &layout, qint64 firstLine, int top, int bottom, qint64 caret);
    // `breakX`: where the line's break stands, when it is in view and the
    // line has one.
    void paintRow(int top, const std::vector<LineLayout::Placed> &characters, qint64 lineEnd, std::optional<Units> breakX);
    void paintCaret(int top, Units x);
    void finish();

private:
    qreal viewX(Units x) const;
    bool isSelected(qint64 position) const { return position >= m_selectionStart && position < m_selectionEnd; }
    char16_t characterOf(const LineLayout::Placed &placed) const;

    QPainter &m_painter;
    TextFont &m_font;
    const QPalette &m_palette;
    const char *m_bytes = nullptr;
    qint64 m_left;
    int m_width;
    qint64 m_selectionStart = 0;
    qint64 m_selectionEnd = 0;
    GlyphBatch m_glyphs;
    std::optional<QRectF> m_caret;
};
