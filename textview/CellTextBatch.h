#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <map>
#include <vector>

class CellFont;
class QPainter;
class QPalette;

// Characters to draw in cells, gathered over one paint and drawn as one
// glyph run per font and colour: many times faster than drawing each
// character as a text. A character neither font has, or one too wide for
// its cells (narrowed to fit), is drawn on its own.
class CellTextBatch
{
public:
    enum Ink { Text, SelectedText, Placeholder };

    explicit CellTextBatch(const CellFont &cells);

    // `character` as CellFont shows it, centred in `width` cells whose left
    // edge is x, in the row whose top is y.
    void add(qreal x, qreal y, char16_t character, int width, Ink ink);
    void draw(QPainter &painter, const QPalette &palette) const;

private:
    struct Run
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    struct Single
    {
        QPointF position;
        qreal narrowing;
        QString text;
        Ink ink;
    };

    const CellFont &m_cells;
    std::map<std::pair<int, Ink>, Run> m_runs;
    std::vector<Single> m_singles;
};
