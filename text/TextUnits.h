#pragma once

#include <QtGlobal>
#include <compare>

// The quantities of a text, each a type of its own, so that passing a byte
// position where a line is wanted, or pixels where 1/64 pixels are, does not
// compile. Each wraps a qint64 and costs nothing beside it.
//
// Places and counts (BytePosition, CharacterCount, LineNumber) move by plain
// numbers and their difference is a plain number: `line + 1`, `end - start`.
// Widths (XUnits, Pixels) add to each other and scale by numbers. Nothing
// converts to or from qint64 by itself: `.value()` and the explicit
// constructor are the one way through, where a number meets Qt or memory.

enum class QuantityKind { Place, Width };

template<typename Tag, QuantityKind Kind>
class TextQuantity
{
    static constexpr bool IsPlace = Kind == QuantityKind::Place;

public:
    constexpr TextQuantity() = default;
    constexpr explicit TextQuantity(qint64 value) : m_value(value) {}
    constexpr qint64 value() const { return m_value; }

    friend constexpr auto operator<=>(TextQuantity, TextQuantity) = default;

    // Places
    constexpr TextQuantity &operator+=(qint64 n) requires IsPlace { m_value += n; return *this; }
    constexpr TextQuantity &operator-=(qint64 n) requires IsPlace { m_value -= n; return *this; }
    constexpr TextQuantity &operator++() requires IsPlace { ++m_value; return *this; }
    constexpr TextQuantity &operator--() requires IsPlace { --m_value; return *this; }
    friend constexpr TextQuantity operator+(TextQuantity a, qint64 n) requires IsPlace { return TextQuantity(a.m_value + n); }
    friend constexpr TextQuantity operator-(TextQuantity a, qint64 n) requires IsPlace { return TextQuantity(a.m_value - n); }
    friend constexpr qint64 operator-(TextQuantity a, TextQuantity b) requires IsPlace { return a.m_value - b.m_value; }

    // Widths
    constexpr TextQuantity &operator+=(TextQuantity w) requires(!IsPlace) { m_value += w.m_value; return *this; }
    friend constexpr TextQuantity operator+(TextQuantity a, TextQuantity b) requires(!IsPlace) { return TextQuantity(a.m_value + b.m_value); }
    friend constexpr TextQuantity operator-(TextQuantity a, TextQuantity b) requires(!IsPlace) { return TextQuantity(a.m_value - b.m_value); }
    friend constexpr TextQuantity operator-(TextQuantity a) requires(!IsPlace) { return TextQuantity(-a.m_value); }
    friend constexpr TextQuantity operator*(TextQuantity a, qint64 n) requires(!IsPlace) { return TextQuantity(a.m_value * n); }
    friend constexpr TextQuantity operator*(qint64 n, TextQuantity a) requires(!IsPlace) { return TextQuantity(a.m_value * n); }
    // How many whole b fit in a (toward zero).
    friend constexpr qint64 operator/(TextQuantity a, TextQuantity b) requires(!IsPlace) { return a.m_value / b.m_value; }

private:
    qint64 m_value = 0;
};

template<typename Tag>
using TextPlace = TextQuantity<Tag, QuantityKind::Place>;
template<typename Tag>
using TextWidth = TextQuantity<Tag, QuantityKind::Width>;

// A place in a text's bytes: the byte there, or the gap before it; the
// text's size is its end. Byte counts are plain numbers.
using BytePosition = TextPlace<struct BytePositionTag>;
// Characters as a text box counts them (a CR LF one): a count, or the place
// after that many characters.
using CharacterCount = TextPlace<struct CharacterCountTag>;
// A line of a text, from 0; a line count is the number past the last line.
using LineNumber = TextPlace<struct LineNumberTag>;

// Whole pixels of a view.
using Pixels = TextWidth<struct PixelsTag>;
// An x in a line, or a width, in 1/64 pixel: the fixed point in which Qt's
// text layout adds up advances, so that sums here equal its positions.
using XUnits = TextWidth<struct XUnitsTag>;

constexpr qint64 UnitsPerPixel = 64;

constexpr XUnits toUnits(Pixels p) { return XUnits(p.value() * UnitsPerPixel); }
// The nearest whole unit of a pixel measure from Qt.
inline XUnits nearestUnits(qreal pixels) { return XUnits(qRound64(pixels * UnitsPerPixel)); }
constexpr qreal toPixelsF(XUnits x) { return qreal(x.value()) / UnitsPerPixel; }
constexpr Pixels floorPixels(XUnits x)
{
    const qint64 v = x.value();
    return Pixels(v >= 0 ? v / UnitsPerPixel : -((-v + UnitsPerPixel - 1) / UnitsPerPixel));
}
constexpr Pixels ceilPixels(XUnits x) { return -floorPixels(-x); }
