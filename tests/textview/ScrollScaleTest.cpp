#include "ScrollScale.h"

#include <QTest>

class ScrollScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void mapsPositionsToBarValues_data()
    {
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<int>("bar");
        const qint64 limit = ScrollScale::BarLimit;
        QTest::newRow("nothing to scroll") << qint64(0) << qint64(0) << 0;
        QTest::newRow("a small range is one to one") << qint64(1000) << qint64(999) << 999;
        QTest::newRow("the bar's limit is still one to one") << limit << limit - 1 << int(limit - 1);
        QTest::newRow("twice the limit halves") << 2 * limit << qint64(1000) << 500;
        QTest::newRow("a small range ends at the bar's end") << qint64(6) << qint64(6) << 6;
        QTest::newRow("five billion: the end is the bar's end") << qint64(5) * 1000000000 << qint64(5) * 1000000000 << int(limit);
        QTest::newRow("five billion: the middle is the bar's middle") << qint64(5) * 1000000000 << qint64(2500000000) << int(limit / 2);
        QTest::newRow("a position past the end is the end") << qint64(100) << qint64(500) << 100;
    }

    void mapsPositionsToBarValues()
    {
        QFETCH(qint64, maximum);
        QFETCH(qint64, position);
        QFETCH(int, bar);
        QCOMPARE(ScrollScale(maximum).toBar(position), bar);
    }

    void everyBarValueMapsBackNearItsPosition()
    {
        for (qint64 maximum : {qint64(0), qint64(17), qint64(ScrollScale::BarLimit) + 1, qint64(3) << 40, qint64(1) << 62}) {
            const ScrollScale scale(maximum);
            const qint64 positionsPerValue = maximum / std::max(scale.barMaximum(), 1) + 1;
            QCOMPARE(scale.fromBar(0), 0);
            QCOMPARE(scale.fromBar(scale.barMaximum()), maximum);
            for (int value : {1, 2, 1000, scale.barMaximum() / 3, scale.barMaximum() - 1}) {
                value = std::clamp(value, 0, scale.barMaximum());
                const qint64 position = scale.fromBar(value);
                QVERIFY(position >= 0 && position <= maximum);
                QCOMPARE(scale.toBar(position), value);
                QVERIFY(qAbs(scale.fromBar(scale.toBar(position + positionsPerValue / 3)) - position) <= positionsPerValue);
            }
        }
    }
};

QTEST_APPLESS_MAIN(ScrollScaleTest)
#include "ScrollScaleTest.moc"
