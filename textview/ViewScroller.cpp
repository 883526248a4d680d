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

void ViewScroller::setExtent(LineNumber lines, Pixels width, qint64 pageRows, Pixels pageWidth, int pixelStep)
{
    m_pageRows = std::max<qint64>(pageRows, 1);
    m_pageWidth = std::max(pageWidth, Pixels(1));
    m_pixelStep = std::max(pixelStep, 1);
    m_lineScale = ScrollScale(lines.value() - m_pageRows);
    m_xScale = ScrollScale((width - m_pageWidth).value());
    scrollTo(m_firstLine, m_firstX);
}

void ViewScroller::scrollTo(LineNumber line, Pixels x)
{
    m_firstLine = LineNumber(std::clamp<qint64>(line.value(), 0, m_lineScale.maximum()));
    m_firstX = Pixels(std::clamp<qint64>(x.value(), 0, m_xScale.maximum()));
    m_settingBars = true;
    setBar(m_vertical, m_lineScale, m_firstLine.value(), m_pageRows, 1);
    setBar(m_horizontal, m_xScale, m_firstX.value(), m_pageWidth.value(), m_pixelStep);
    m_settingBars = false;
}

void ViewScroller::followBars()
{
    if (m_settingBars)
        return;
    m_firstLine = LineNumber(m_lineScale.fromBar(m_vertical->value()));
    m_firstX = Pixels(m_xScale.fromBar(m_horizontal->value()));
}

bool ViewScroller::ensureVisible(LineNumber line, Pixels x, Pixels width)
{
    LineNumber firstLine = m_firstLine;
    if (line < firstLine)
        firstLine = line;
    else if (line >= firstLine + m_pageRows)
        firstLine = line - m_pageRows + 1;
    Pixels firstX = m_firstX;
    if (x < firstX)
        firstX = x;
    else if (x + width > firstX + m_pageWidth)
        firstX = x + width - m_pageWidth;
    if (firstLine == m_firstLine && firstX == m_firstX)
        return false;
    scrollTo(firstLine, firstX);
    return true;
}
