#include "ViewScroller.h"

#include <QScrollBar>
#include <algorithm>

namespace {

void setBar(QScrollBar *bar, const ScrollScale &scale, qint64 position, qint64 page, int step)
{
    bar->setRange(0, scale.barMaximum());
    bar->setPageStep(std::max(1, scale.isScaled() ? scale.toBar(page) : int(page)));
    bar->setSingleStep(step);
    bar->setValue(scale.toBar(position));
}

} // namespace

ViewScroller::ViewScroller(QScrollBar *vertical, QScrollBar *horizontal)
    : m_vertical(vertical)
    , m_horizontal(horizontal)
{
}

void ViewScroller::setExtent(qint64 lines, qint64 width, qint64 pageRows, qint64 pageWidth, int pixelStep)
{
    m_pageRows = std::max<qint64>(pageRows, 1);
    m_pageWidth = std::max<qint64>(pageWidth, 1);
    m_pixelStep = std::max(pixelStep, 1);
    m_lineScale = ScrollScale(lines - m_pageRows);
    m_xScale = ScrollScale(width - m_pageWidth);
    scrollTo(m_firstLine, m_firstX);
}

void ViewScroller::scrollTo(qint64 line, qint64 x)
{
    m_firstLine = std::clamp<qint64>(line, 0, m_lineScale.maximum());
    m_firstX = std::clamp<qint64>(x, 0, m_xScale.maximum());
    m_settingBars = true;
    setBar(m_vertical, m_lineScale, m_firstLine, m_pageRows, 1);
    setBar(m_horizontal, m_xScale, m_firstX, m_pageWidth, m_pixelStep);
    m_settingBars = false;
}

void ViewScroller::followBars()
{
    if (m_settingBars)
        return;
    m_firstLine = m_lineScale.fromBar(m_vertical->value());
    m_firstX = m_xScale.fromBar(m_horizontal->value());
}

bool ViewScroller::ensureVisible(qint64 line, qint64 x, qint64 width)
{
    qint64 firstLine = m_firstLine;
    if (line < firstLine)
        firstLine = line;
    else if (line >= firstLine + m_pageRows)
        firstLine = line - m_pageRows + 1;
    qint64 firstX = m_firstX;
    if (x < firstX)
        firstX = x;
    else if (x + width > firstX + m_pageWidth)
        firstX = x + width - m_pageWidth;
    if (firstLine == m_firstLine && firstX == m_firstX)
        return false;
    scrollTo(firstLine, firstX);
    return true;
}
