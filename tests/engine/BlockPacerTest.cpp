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
        QTest::newRow("fast reading lengthens them eightfold at most, up to the longest")
            << qint64(0) << Steps{{Target / 100, 8 * MiB}, {Target / 100, 64 * MiB}, {0, 64 * MiB}};
        QTest::newRow("a speed near the target gives the length it reads in the target")
            << qint64(0) << Steps{{Target / 4, 4 * MiB}, {Target * 4 / 3, 3 * MiB}, {Target, 3 * MiB}, {Target / 2, 6 * MiB}};
        QTest::newRow("slow reading halves them, down to the shortest")
            << qint64(0) << Steps{{1, 8 * MiB}, {10 * Target, 4 * MiB}, {10 * Target, 2 * MiB}, {10 * Target, MiB}, {10 * Target, MiB}};
        QTest::newRow("a fixed length never changes") << qint64(4096) << Steps{{1, 4096}, {10 * Target, 4096}};
    }

    void aBlockCutShortShortensTheNext()
    {
        constexpr qint64 MiB = qint64(1) << 20;
        BlockPacer pacer;
        pacer.took(pacer.length(), 1);
        QCOMPARE(pacer.length(), 8 * MiB);
        // Half the block read by the deadline: the next is that half, not
        // nearly the whole block that its time alone would allow.
        pacer.took(4 * MiB, BlockPacer::DeadlineNanoseconds);
        QCOMPARE(pacer.length(), 4 * MiB);
    }

    void aBlockEndsBeforeItsDeadline_data()
    {
        constexpr qint64 Deadline = BlockPacer::DeadlineNanoseconds;
        QTest::addColumn<qint64>("fixed");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<qint64>("piece");
        QTest::addColumn<bool>("ends");
        QTest::newRow("a piece that fits goes on") << qint64(0) << Deadline / 2 << Deadline / 4 << false;
        QTest::newRow("a piece that ends just before goes on") << qint64(0) << Deadline - 10 << qint64(9) << false;
        QTest::newRow("a piece that would pass the deadline is not read") << qint64(0) << Deadline - 10 << qint64(11) << true;
        QTest::newRow("once past the deadline, the block ends") << qint64(0) << Deadline + 1 << qint64(0) << true;
        QTest::newRow("a fixed length has no deadline") << qint64(4096) << 10 * Deadline << qint64(1) << false;
    }

    void aBlockEndsBeforeItsDeadline()
    {
        QFETCH(qint64, fixed);
        QFETCH(qint64, elapsed);
        QFETCH(qint64, piece);
        QFETCH(bool, ends);
        QCOMPARE(BlockPacer(fixed).endsBefore(elapsed, piece), ends);
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
            pacer.took(pacer.length(), took);
            QCOMPARE(pacer.length(), length);
        }
    }
};

QTEST_APPLESS_MAIN(BlockPacerTest)
#include "BlockPacerTest.moc"
