#pragma once

#include <QHash>
#include <QLabel>
#include <QPointF>
#include <QRawFont>
#include <optional>

class QGlyphRun;

// Label1: a label whose caption changes once per block of a run and is
// repainted at once. A plain label lays its text out again at each paint,
// about a tenth of a millisecond, a sixth of what the window spends between
// two blocks; this one lays out each character once, keeps its glyph, and
// paints a caption that fits on one line in one font from those, as the
// plain label would. Anything else (a caption that wraps, a frame, a
// disabled label) is painted by QLabel itself.
class StatusLabel : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLabel(QWidget *parent = nullptr);

    // Whether the caption paints from the kept glyphs rather than as QLabel.
    bool paintsFromGlyphs();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Glyph
    {
        QRawFont font;
        quint32 index = 0;
        QPointF position; // from the line's top left
        qreal advance = 0;
    };
    // The caption as one run, when it fits and every character is one glyph
    // of one font.
    std::optional<QGlyphRun> layOut();
    const Glyph *glyphOf(QChar c);

    QHash<QChar, std::optional<Glyph>> m_glyphs; // in the label's font
};
