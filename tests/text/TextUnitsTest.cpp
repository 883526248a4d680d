#include "LineLayout.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QTest>

// Mixing the text's quantities where a mix is a fault does not compile;
// these are checked when this file is built, each beside the call that
// does compile.
template<typename A> concept LineStartTakes = requires(TextNavigator n, A a) { n.lineStart(a); };
template<typename A> concept LineOfTakes = requires(TextNavigator n, A a) { n.lineOf(a); };
template<typename A> concept PositionAfterCharactersTakes = requires(TextNavigator n, A a) { n.positionAfterCharacters(a); };
template<typename A> concept CharactersBeforeTakes = requires(TextNavigator n, A a) { n.charactersBefore(a); };
template<typename A> concept CharacterAtTakes = requires(LineLayout l, LineLayout::Span s, A a) { l.characterAt(s, a); };
template<typename A, typename B> concept Addable = requires(A a, B b) { a + b; };

static_assert(LineStartTakes<LineNumber> && !LineStartTakes<BytePosition> && !LineStartTakes<qint64>);
static_assert(LineOfTakes<BytePosition> && !LineOfTakes<LineNumber> && !LineOfTakes<CharacterCount>);
static_assert(PositionAfterCharactersTakes<CharacterCount> && !PositionAfterCharactersTakes<BytePosition>);
static_assert(CharactersBeforeTakes<BytePosition> && !CharactersBeforeTakes<CharacterCount>);
static_assert(CharacterAtTakes<XUnits> && !CharacterAtTakes<Pixels> && !CharacterAtTakes<qint64>);
static_assert(Addable<BytePosition, qint64> && !Addable<BytePosition, CharacterCount> && !Addable<BytePosition, BytePosition>);
static_assert(Addable<XUnits, XUnits> && !Addable<XUnits, Pixels> && !Addable<XUnits, qint64>);
static_assert(!std::is_convertible_v<qint64, BytePosition> && !std::is_convertible_v<BytePosition, qint64>);
// Where a mix is no fault, it reads as arithmetic.
static_assert(BytePosition(7) - BytePosition(3) == 4);
static_assert(LineNumber(2) + 1 == LineNumber(3));
static_assert(XUnits(64) + XUnits(32) == XUnits(96));
static_assert(toUnits(Pixels(3)) == XUnits(192));

class TextUnitsTest : public QObject
{
    Q_OBJECT

private slots:
    void pixelsOfUnitsRoundTheWayAsked_data()
    {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<qint64>("floor");
        QTest::addColumn<qint64>("ceil");
        QTest::newRow("a whole pixel is itself") << qint64(128) << qint64(2) << qint64(2);
        QTest::newRow("a part of a pixel goes down and up") << qint64(129) << qint64(2) << qint64(3);
        QTest::newRow("zero") << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("left of the origin, down is further left") << qint64(-1) << qint64(-1) << qint64(0);
        QTest::newRow("a whole pixel left of the origin") << qint64(-64) << qint64(-1) << qint64(-1);
    }

    void pixelsOfUnitsRoundTheWayAsked()
    {
        QFETCH(qint64, units);
        QFETCH(qint64, floor);
        QFETCH(qint64, ceil);
        QCOMPARE(floorPixels(XUnits(units)), Pixels(floor));
        QCOMPARE(ceilPixels(XUnits(units)), Pixels(ceil));
        QCOMPARE(toPixelsF(XUnits(units)), qreal(units) / 64);
    }

    void aPixelMeasureFromQtGoesToTheNearestUnit()
    {
        QCOMPARE(nearestUnits(9.0), 576_units);
        QCOMPARE(nearestUnits(9.0 + 0.4 / 64), 576_units);
        QCOMPARE(nearestUnits(9.0 + 0.6 / 64), 577_units);
    }
};

QTEST_APPLESS_MAIN(TextUnitsTest)
#include "TextUnitsTest.moc"
