#include "CellFont.h"

#include <QPainter>
#include <QtMath>

CellFont::CellFont(const QFont &font)
    : m_font(font)
    , m_metrics(font)
{
    qreal advances = 0;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        advances += m_metrics.horizontalAdvance(QChar(c));
    m_cellWidth = std::max(1, qCeil(advances / (0x7F - 0x20)));
    m_lineHeight = std::max(1, qCeil(m_metrics.lineSpacing()));
    m_ascent = qCeil(m_metrics.ascent());
}

void CellFont::draw(QPainter &painter, qreal x, qreal y, char16_t character, int width, const QColor &placeholderColor) const
{
    if (character == u'\t' || character == u' ')
        return;
    const qreal box = qreal(width) * m_cellWidth;
    const qreal baseline = y + m_ascent;
    if (isControl(character)) {
        const QPen pen = painter.pen();
        painter.setPen(placeholderColor);
        const qreal dot = m_metrics.horizontalAdvance(QChar(0xB7));
        painter.drawText(QPointF(x + (box - dot) / 2, baseline), QString(QChar(0xB7)));
        painter.setPen(pen);
        return;
    }
    const QString text{QChar(character)};
    const qreal advance = m_metrics.horizontalAdvance(text);
    if (advance <= box + 0.5) {
        painter.drawText(QPointF(x + (box - advance) / 2, baseline), text);
        return;
    }
    painter.save();
    painter.translate(x, baseline);
    painter.scale(box / advance, 1);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}
