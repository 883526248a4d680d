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
    // The view is `width` pixels wide.
    TextRowPainter(QPainter &painter, TextFont &font, const QPalette &palette, Pixels left, int width);

    void setSelection(BytePosition start, BytePosition end);
    // The lines from `firstLine` on, the first at `top`, down to `bottom`,
    // and the caret at `caret`, if any.
    void paintLines(const TextNavigator &text, const LineLayout &layout, LineNumber firstLine, int top, int bottom, std::optional<BytePosition> caret);
    // `breakX`: where the line's break stands, when it is in view and the
    // line has one.
    void paintRow(int top, const std::vector<LineLayout::Placed> &characters, BytePosition lineEnd, std::optional<XUnits> breakX);
    void paintCaret(int top, XUnits x);
    void finish();

private:
    qreal viewX(XUnits x) const;
    bool isSelected(BytePosition position) const { return position >= m_selectionStart && position < m_selectionEnd; }
    char32_t characterOf(const LineLayout::Placed &placed) const;

    QPainter &m_painter;
    TextFont &m_font;
    const QPalette &m_palette;
    const char *m_bytes = nullptr;
    const CharacterReader *m_reader = nullptr; // of the lines being painted
    Pixels m_left;
    int m_width;
    BytePosition m_selectionStart;
    BytePosition m_selectionEnd;
    GlyphBatch m_glyphs;
    std::optional<QRectF> m_caret;
};
