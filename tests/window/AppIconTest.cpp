#include "AppIcon.h"

#include <QSet>
#include <QTest>

class AppIconTest : public QObject
{
    Q_OBJECT

private slots:
    void isDrawnInSixteenColoursOfTheStandardPalette();
    void picturesAWindow_data();
    void picturesAWindow();
    void scalesUpPixelByPixel();
};

namespace {

const QColor Black(0, 0, 0), Red(255, 0, 0), Yellow(255, 255, 0), DarkGreen(0, 128, 0), White(255, 255, 255);

QRgb at(int x, int y)
{
    return AppIcon::image().pixel(x, y);
}

} // namespace

void AppIconTest::isDrawnInSixteenColoursOfTheStandardPalette()
{
    const QImage icon = AppIcon::image();
    QCOMPARE(icon.size(), QSize(16, 16));
    // The 16 colours of the standard VGA palette.
    const QSet<QRgb> palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    QSet<QRgb> used;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (qAlpha(icon.pixel(x, y)) == 255)
                used.insert(icon.pixel(x, y) & 0xFFFFFF);
            else
                QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
        }
    }
    QVERIFY(used.size() <= 16);
    QVERIFY(palette.contains(used));
}

void AppIconTest::picturesAWindow_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("the outline's top left corner is black") << QPoint(0, 1) << Black;
    QTest::newRow("the outline's bottom right corner is black") << QPoint(15, 14) << Black;
    QTest::newRow("the title strip starts red") << QPoint(1, 2) << Red;
    QTest::newRow("the title strip ends yellow") << QPoint(14, 3) << Yellow;
    QTest::newRow("the left pane is dark green") << QPoint(2, 9) << DarkGreen;
    QTest::newRow("the body is white") << QPoint(10, 9) << White;
}

void AppIconTest::picturesAWindow()
{
    QFETCH(QPoint, pixel);
    QFETCH(QColor, colour);
    QCOMPARE(QColor(at(pixel.x(), pixel.y())), colour);
}

void AppIconTest::scalesUpPixelByPixel()
{
    const QImage small = AppIcon::image();
    const QImage large = AppIcon::image(48);
    QCOMPARE(large.size(), QSize(48, 48));
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x)
            QCOMPARE(large.pixel(x, y), small.pixel(x / 3, y / 3));
    }
    QVERIFY(AppIcon::icon().availableSizes().contains(QSize(256, 256)));
}

QTEST_MAIN(AppIconTest)
#include "AppIconTest.moc"
