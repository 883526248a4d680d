#include "BlockPacer.h"

#include <QTest>

class BlockPacerTest : public QObject
{
    Q_OBJECT

private slots:
    void blocksFollowTheTimeTheLastOneTook_data()
    {
        constexpr qint64 Target = BlockPacer::TargetNanoseconds;
        QTest::addColumn<qint64>("fixed");
        QTest::addColumn<qint64>("took");
        QTest::addColumn<QList<qint64>>("lengths");
        const qint64 mib = qint64(1) << 20;
        QTest::newRow("fast reading doubles them up to the longest")
            << qint64(0) << Target / 10 << QList<qint64>{2 * mib, 4 * mib, 8 * mib, 16 * mib, 32 * mib, 32 * mib};
        QTest::newRow("reading near the target keeps them")
            << qint64(0) << Target << QList<qint64>{mib, mib, mib};
        QTest::newRow("a fixed length never changes") << qint64(4096) << qint64(1) << QList<qint64>{4096, 4096};
    }

    void blocksFollowTheTimeTheLastOneTook()
    {
        QFETCH(qint64, fixed);
        QFETCH(qint64, took);
        QFETCH(QList<qint64>, lengths);
        BlockPacer pacer(fixed);
        for (qint64 length : lengths) {
            pacer.took(took);
            QCOMPARE(pacer.length(), length);
        }
        if (fixed == 0) { // and slow reading halves them down to the shortest
            for (int i = 0; i < 8; ++i)
                pacer.took(10 * BlockPacer::TargetNanoseconds);
            QCOMPARE(pacer.length(), BlockPacer::ShortestBlock);
        }
    }
};

QTEST_APPLESS_MAIN(BlockPacerTest)
#include "BlockPacerTest.moc"
