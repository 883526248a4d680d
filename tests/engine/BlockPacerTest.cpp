#include "BlockPacer.h"

#include <QTest>

using Steps = QList<QPair<qint64, qint64>>; // the time a block took, the next block's length

class BlockPacerTest : public QObject
{
    Q_OBJECT

private slots:
    void blocksFollowTheSpeedOfTheLastOne_data()
    {
        constexpr qint64 Target = BlockPacer::TargetNanoseconds;
        constexpr qint64 MiB = qint64(1) << 20;
        QTest::addColumn<qint64>("fixed");
        QTest::addColumn<Steps>("steps");
        QTest::newRow("fast reading doubles them, up to the longest")
            << qint64(0) << Steps{{Target / 10, 2 * MiB}, {Target / 10, 4 * MiB}, {0, 8 * MiB}, {1, 16 * MiB}, {1, 32 * MiB}, {1, 32 * MiB}};
        QTest::newRow("a speed near the target gives a length near it")
            << qint64(0) << Steps{{Target / 4, 2 * MiB}, {Target / 4, 4 * MiB}, {Target * 4 / 3, 3 * MiB}, {Target, 3 * MiB}};
        QTest::newRow("a block faster than the target lengthens the next by the root of its speed")
            << qint64(0) << Steps{{Target / 4, 2 * MiB}, {Target / 4, 4 * MiB}, {Target * 4 / 9, 6 * MiB}, {Target, 6 * MiB}};
        QTest::newRow("slow reading halves them, down to the shortest")
            << qint64(0) << Steps{{1, 2 * MiB}, {1, 4 * MiB}, {10 * Target, 2 * MiB}, {10 * Target, MiB}, {10 * Target, MiB}};
        QTest::newRow("a fixed length never changes") << qint64(4096) << Steps{{1, 4096}, {10 * Target, 4096}};
    }

    void theLastBlockIsAQuarterLong_data()
    {
        constexpr qint64 MiB = qint64(1) << 20;
        QTest::addColumn<qint64>("fixed");
        QTest::addColumn<qint64>("remaining");
        QTest::addColumn<qint64>("next");
        QTest::newRow("more than a block left: a whole block") << qint64(0) << 3 * MiB << MiB;
        QTest::newRow("a block left: all but a quarter") << qint64(0) << MiB << 3 * MiB / 4;
        QTest::newRow("half a block left: all but a quarter") << qint64(0) << MiB / 2 << MiB / 4;
        QTest::newRow("a quarter left: all of it") << qint64(0) << MiB / 4 << MiB / 4;
        QTest::newRow("a fixed length reads what it can") << qint64(4096) << qint64(4000) << qint64(4000);
    }

    void theLastBlockIsAQuarterLong()
    {
        QFETCH(qint64, fixed);
        QFETCH(qint64, remaining);
        QFETCH(qint64, next);
        QCOMPARE(BlockPacer(fixed).lengthBefore(remaining), next);
    }

    void blocksFollowTheSpeedOfTheLastOne()
    {
        QFETCH(qint64, fixed);
        QFETCH(Steps, steps);
        BlockPacer pacer(fixed);
        for (const auto &[took, length] : steps) {
            pacer.took(took);
            QCOMPARE(pacer.length(), length);
        }
    }
};

QTEST_APPLESS_MAIN(BlockPacerTest)
#include "BlockPacerTest.moc"
