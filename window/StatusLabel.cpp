#include "StatusLabel.h"

#include <QEvent>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

StatusLabel::StatusLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void StatusLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_glyphs.clear();
    QLabel::changeEvent(event);
}

const StatusLabel::Glyph *StatusLabel::glyphOf(QChar c)
{
    auto found = m_glyphs.constFind(c);
    if (found == m_glyphs.constEnd()) {
        QTextLayout layout(QString(c), font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        std::optional<Glyph> glyph;
        if (c.isPrint() && runs.size() == 1 && runs.first().glyphIndexes().size() == 1)
            glyph = Glyph{runs.first().rawFont(), runs.first().glyphIndexes().first(), runs.first().positions().first(),
                          layout.lineAt(0).naturalTextWidth()};
        found = m_glyphs.insert(c, glyph);
    }
    return found->has_value() ? &**found : nullptr;
}

std::optional<QGlyphRun> StatusLabel::layOut()
{
    const bool plain = frameWidth() == 0 && margin() == 0 && indent() <= 0 && isEnabled() && alignment() == (Qt::AlignLeft | Qt::AlignTop);
    if (!plain)
        return std::nullopt;
    QList<quint32> indexes;
    QList<QPointF> positions;
    QRawFont font;
    qreal width = 0;
    for (QChar c : text()) {
        const Glyph *glyph = glyphOf(c);
        if (!glyph || (!indexes.isEmpty() && glyph->font != font))
            return std::nullopt;
        font = glyph->font;
        indexes.append(glyph->index);
        positions.append(glyph->position + QPointF(width, 0));
        width += glyph->advance;
    }
    if (indexes.isEmpty() || width > contentsRect().width())
        return std::nullopt;
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}

bool StatusLabel::paintsFromGlyphs()
{
    return layOut().has_value();
}

void StatusLabel::paintEvent(QPaintEvent *event)
{
    const std::optional<QGlyphRun> run = layOut();
    if (!run) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(QPen(palette().brush(foregroundRole()), painter.pen().widthF()));
    painter.drawGlyphRun(contentsRect().topLeft(), *run);
}
