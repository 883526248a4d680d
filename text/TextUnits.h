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

template<typename Tag>
class TextPlace
{
public:
    constexpr TextPlace() = default;
    constexpr explicit TextPlace(qint64 value) : m_value(value) {}
    constexpr qint64 value() const { return m_value; }

    friend constexpr auto operator<=>(TextPlace, TextPlace) = default;

    constexpr TextPlace &operator+=(qint64 n) { m_value += n; return *this; }
    constexpr TextPlace &operator-=(qint64 n) { m_value -= n; return *this; }
    constexpr TextPlace &operator++() { ++m_value; return *this; }
    constexpr TextPlace &operator--() { --m_value; return *this; }
    friend constexpr TextPlace operator+(TextPlace a, qint64 n) { return TextPlace(a.m_value + n); }
    friend constexpr TextPlace operator-(TextPlace a, qint64 n) { return TextPlace(a.m_value - n); }
    friend constexpr qint64 operator-(TextPlace a, TextPlace b) { return a.m_value - b.m_value; }

private:
    qint64 m_value = 0;
};

template<typename Tag>
class TextWidth
{
public:
    constexpr TextWidth() = default;
    constexpr explicit TextWidth(qint64 value) : m_value(value) {}
    constexpr qint64 value() const { return m_value; }

    friend constexpr auto operator<=>(TextWidth, TextWidth) = default;

    constexpr TextWidth &operator+=(TextWidth w) { m_value += w.m_value; return *this; }
    constexpr TextWidth &operator-=(TextWidth w) { m_value -= w.m_value; return *this; }
    friend constexpr TextWidth operator+(TextWidth a, TextWidth b) { return TextWidth(a.m_value + b.m_value); }
    friend constexpr TextWidth operator-(TextWidth a, TextWidth b) { return TextWidth(a.m_value - b.m_value); }
    friend constexpr TextWidth operator-(TextWidth a) { return TextWidth(-a.m_value); }
    friend constexpr TextWidth operator*(TextWidth a, qint64 n) { return TextWidth(a.m_value * n); }
    friend constexpr TextWidth operator*(qint64 n, TextWidth a) { return TextWidth(a.m_value * n); }
    // How many whole b fit in a (toward zero).
    friend constexpr qint64 operator/(TextWidth a, TextWidth b) { return a.m_value / b.m_value; }

private:
    qint64 m_value = 0;
};

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
