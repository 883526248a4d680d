#pragma once

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <vector>

// The glyph that shows each character of a font as Qt's own text layout
// shows it: from the font itself when it has the character, else from the
// font the layout falls back to (fontconfig's choice), with its advance in
// 1/64 pixel. A tab is blank, another control character a middle dot, as a
// mark that something is there. Each character is looked up once.
class GlyphCache
{
public:
    struct Glyph
    {
        int font = -1; // into rawFont(); -1: nothing to draw
        quint32 index = 0;
        qint32 advance = 0; // 1/64 pixel
    };

    explicit GlyphCache(const QFont &font);

    const QFont &font() const { return m_font; }
    // The character drawn for `character`.
    static char32_t shown(char32_t character);
    static bool isControl(char32_t character) { return character < 0x20 || character == 0x7F; }

    const Glyph &glyph(char32_t character);
    const QRawFont &rawFont(int font) const { return m_rawFonts[std::size_t(font)]; }

private:
    Glyph lookUp(char32_t character);
    Glyph fromLayout(char32_t character);
    int fontIndex(const QRawFont &raw);

    QFont m_font;
    std::vector<QRawFont> m_rawFonts; // the font first, then fallbacks as met
    QHash<char32_t, Glyph> m_glyphs;
};
