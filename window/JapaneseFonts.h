#pragma once

#include <QFont>
#include <QStringList>

// The fonts of the window. Each is the first installed family of its list,
// at 9 points; Japanese families come first so that every caption shows.
class JapaneseFonts
{
public:
    // Text1: a fixed-pitch font, so the dump's columns line up. A family is
    // taken only if hasEqualAdvances() holds for it; without one, the
    // system's fixed font.
    static QFont dumpFont();
    // Every other control: a Japanese UI font whose lines are about 12 pixels
    // high, so two-line captions fit their labels; without one, the
    // application's font.
    static QFont windowFont();

    // Every character a dump line can hold (printable ASCII) has the same
    // advance. Qt's fixedPitch() cannot tell: it is false for Japanese fonts
    // whose half-width characters are all of one width.
    static bool hasEqualAdvances(const QFont &font);

    static const QStringList DumpFamilies;
    static const QStringList WindowFamilies;
    static constexpr int PointSize = 9;
};
