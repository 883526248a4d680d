#pragma once

#include <QtGlobal>

// Maps a scroll position in [0, maximum] (a line or a column of a text that
// may hold billions of them) onto the int range of a scroll bar: one to one
// while the maximum fits in BarLimit, proportionally beyond, so that the
// bar's ends are always the text's ends.
class ScrollScale
{
public:
    // Leaves room for a page step above the bar's maximum.
    static constexpr int BarLimit = 1 << 30;

    explicit ScrollScale(qint64 maximum = 0);

    qint64 maximum() const { return m_maximum; }
    bool isScaled() const { return m_maximum > BarLimit; }
    int barMaximum() const;
    // The bar value that shows `position`: the nearest one when scaled.
    int toBar(qint64 position) const;
    // The position a bar value stands for; 0 and barMaximum() are the ends.
    qint64 fromBar(int value) const;

private:
    qint64 m_maximum;
};
