#pragma once

#include "ScrollScale.h"

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
    void setExtent(qint64 lines, qint64 width, qint64 pageRows, qint64 pageWidth, int pixelStep);
    void scrollTo(qint64 line, qint64 x);
    // After the user moved a bar.
    void followBars();
    // Scrolls as little as needed to show `width` pixels from x on `line`;
    // whether it scrolled.
    bool ensureVisible(qint64 line, qint64 x, qint64 width);

    qint64 firstLine() const { return m_firstLine; }
    qint64 firstX() const { return m_firstX; }

private:
    QScrollBar *m_vertical;
    QScrollBar *m_horizontal;
    ScrollScale m_lineScale;
    ScrollScale m_xScale;
    qint64 m_pageRows = 1;
    qint64 m_pageWidth = 1;
    int m_pixelStep = 1;
    qint64 m_firstLine = 0;
    qint64 m_firstX = 0;
    bool m_settingBars = false;
};
