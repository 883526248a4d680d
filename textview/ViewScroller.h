#pragma once

#include "ScrollScale.h"
#include "TextUnits.h"

#include <QtGlobal>

class QScrollBar;

// Where a text view is scrolled to: the first line it shows and the pixel
// of the text at its left edge, kept within the text and in step with the
// view's two scroll bars, which ScrollScale maps past the range of an int.
class ViewScroller
{
public:
    ViewScroller(QScrollBar *vertical, QScrollBar *horizontal);

    // The text's lines and the width of its widest line, and how much of it
    // the view shows at once; keeps the place where it can.
    void setExtent(LineNumber lines, Pixels width, qint64 pageRows, Pixels pageWidth, int pixelStep);
    void scrollTo(LineNumber line, Pixels x);
    // After the user moved a bar.
    void followBars();
    // Scrolls as little as needed to show `width` pixels from x on `line`;
    // whether it scrolled.
    bool ensureVisible(LineNumber line, Pixels x, Pixels width);

    LineNumber firstLine() const { return m_firstLine; }
    Pixels firstX() const { return m_firstX; }

private:
    QScrollBar *m_vertical;
    QScrollBar *m_horizontal;
    ScrollScale m_lineScale;
    ScrollScale m_xScale;
    qint64 m_pageRows = 1;
    Pixels m_pageWidth{1};
    int m_pixelStep = 1;
    LineNumber m_firstLine;
    Pixels m_firstX;
    bool m_settingBars = false;
};
