#pragma once

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <vector>

// A font laid out in a grid of cells, as a terminal does: every character
// takes one cell per byte of its code page 932 form, so a half-width
// character one cell and a full-width (double-byte) character two, and a
// column of the text is always a column of the grid, however long the line.
//
// A cell is as wide as the font's average printable ASCII advance, rounded
// up to a pixel. A character narrower than its cells is centred in them; a
// wider one is narrowed to fit. A tab is shown as a blank cell, other
// control characters as a dim middle dot.
//
// Glyphs come from the font itself, or for characters it lacks from the
// font Qt prefers for Japanese; each character is looked up once.
class CellFont
{
public:
    struct Glyph
    {
        int font = -1; // into rawFont(); -1: neither font has it
        quint32 index = 0;
        qreal advance = 0;
    };

    explicit CellFont(const QFont &font);

    const QFont &font() const { return m_font; }
    int cellWidth() const { return m_cellWidth; }
    int lineHeight() const { return m_lineHeight; }
    int ascent() const { return m_ascent; }

    static bool isControl(char16_t character) { return character < 0x20 || character == 0x7F; }
    // The character drawn for `character`: a space for a tab, a middle dot
    // for another control character, else itself.
    static char16_t shown(char16_t character);

    const Glyph &glyph(char16_t character) const;
    const QRawFont &rawFont(int font) const { return m_rawFonts[std::size_t(font)]; }

private:
    Glyph lookUp(char16_t character) const;

    QFont m_font;
    int m_cellWidth;
    int m_lineHeight;
    int m_ascent;
    std::vector<QRawFont> m_rawFonts;
    mutable QHash<char16_t, Glyph> m_glyphs;
};
