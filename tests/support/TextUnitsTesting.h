#pragma once

#include "TextUnits.h"

#include <QTest>

// The text quantities in tests: QCOMPARE prints the number each holds.
template<typename Tag, QuantityKind Kind>
char *toString(const TextQuantity<Tag, Kind> &quantity)
{
    return QTest::toString(quantity.value());
}

// Literals for the quantities in expectations: 3_byte, 2_line, 5_chars, 64_units.
constexpr BytePosition operator""_byte(unsigned long long n) { return BytePosition(qint64(n)); }
constexpr LineNumber operator""_line(unsigned long long n) { return LineNumber(qint64(n)); }
constexpr CharacterCount operator""_chars(unsigned long long n) { return CharacterCount(qint64(n)); }
constexpr XUnits operator""_units(unsigned long long n) { return XUnits(qint64(n)); }
