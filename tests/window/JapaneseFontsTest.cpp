#include "JapaneseFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QTest>

class JapaneseFontsTest : public QObject
{
    Q_OBJECT

private slots:
    void equalAdvancesTellFixedPitchFromProportional_data();
    void equalAdvancesTellFixedPitchFromProportional();
    void dumpFontLinesUpTheColumnsAndShowsJapanese();
    void windowFontFitsTwoLinesInALabel();
};

void JapaneseFontsTest::equalAdvancesTellFixedPitchFromProportional_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("equal");
    QTest::newRow("IPAGothic's half-width characters are all one width") << "IPAGothic" << true;
    QTest::newRow("IPAPGothic is proportional") << "IPAPGothic" << false;
    QTest::newRow("DejaVu Sans Mono is fixed-pitch") << "DejaVu Sans Mono" << true;
    QTest::newRow("DejaVu Sans is proportional") << "DejaVu Sans" << false;
}

void JapaneseFontsTest::equalAdvancesTellFixedPitchFromProportional()
{
    QFETCH(QString, family);
    QFETCH(bool, equal);
    if (!QFontDatabase::hasFamily(family))
        QSKIP("font not installed");
    QCOMPARE(JapaneseFonts::hasEqualAdvances(QFont(family, JapaneseFonts::PointSize)), equal);
}

void JapaneseFontsTest::dumpFontLinesUpTheColumnsAndShowsJapanese()
{
    const QFont font = JapaneseFonts::dumpFont();
    QVERIFY(JapaneseFonts::hasEqualAdvances(font));
    QCOMPARE(font.pointSize(), 9);
    const bool japaneseInstalled = std::any_of(JapaneseFonts::DumpFamilies.begin(), JapaneseFonts::DumpFamilies.end(),
                                               [](const QString &family) { return QFontDatabase::hasFamily(family); });
    if (!japaneseInstalled)
        QSKIP("no Japanese fixed-pitch font installed");
    QVERIFY(JapaneseFonts::DumpFamilies.contains(font.family()));
    QVERIFY(QFontMetrics(font).inFontUcs4(U'ア'));
}

void JapaneseFontsTest::windowFontFitsTwoLinesInALabel()
{
    const QFontMetrics metrics(JapaneseFonts::windowFont());
    QVERIFY(QFontMetrics(JapaneseFonts::windowFont()).inFontUcs4(U'削'));
    QVERIFY2(2 * metrics.height() <= 26, qPrintable(QString::number(metrics.height())));
}

QTEST_MAIN(JapaneseFontsTest)
#include "JapaneseFontsTest.moc"
