#include "NameFilters.h"

#include <QTest>

class NameFiltersTest : public QObject
{
    Q_OBJECT

private slots:
    void pairsBecomeNameFilters_data();
    void pairsBecomeNameFilters();
};

void NameFiltersTest::pairsBecomeNameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the program's filter offers text files first, then every file, names without a dot included")
        << QStringLiteral("テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*")
        << QStringList{QStringLiteral("テキストファイル(*.txt) (*.txt)"), QStringLiteral("全てのファイル(*.*) (*)")};
    QTest::newRow("patterns of one pair are kept in their order")
        << QStringLiteral("画像|*.png;*.JPG") << QStringList{QStringLiteral("画像 (*.png *.JPG)")};
    QTest::newRow("*.* among other patterns still means every file")
        << QStringLiteral("両方|*.txt;*.*") << QStringList{QStringLiteral("両方 (*.txt *)")};
    QTest::newRow("a description without a pattern matches every file")
        << QStringLiteral("全部") << QStringList{QStringLiteral("全部 (*)")};
    QTest::newRow("a trailing bar adds nothing") << QStringLiteral("A|*.a|") << QStringList{QStringLiteral("A (*.a)")};
    QTest::newRow("an empty filter offers nothing") << QString() << QStringList{};
}

void NameFiltersTest::pairsBecomeNameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(NameFilters::fromPipeList(filter), expected);
}

QTEST_APPLESS_MAIN(NameFiltersTest)
#include "NameFiltersTest.moc"
