#include "AppIcon.h"

#include <QSet>
#include <QTest>

class AppIconTest : public QObject
{
    Q_OBJECT

private slots:
    void isDrawnInTheSixteenColourPalette();
    void scalesUpPixelByPixel();
};

void AppIconTest::isDrawnInTheSixteenColourPalette()
{
    const QImage icon = AppIcon::image();
    QCOMPARE(icon.size(), QSize(16, 16));
    const QSet<QRgb> palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    QSet<QRgb> used;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb pixel = icon.pixel(x, y);
            QVERIFY(qAlpha(pixel) == 0 || qAlpha(pixel) == 255);
            if (qAlpha(pixel) == 255)
                used.insert(pixel & 0xFFFFFF);
        }
    }
    QVERIFY(palette.contains(used));
    QVERIFY(used.contains(0x000000) && used.contains(0xFF0000) && used.contains(0xFFFF00) && used.contains(0x008000)
            && used.contains(0xFFFFFF));
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
}

QTEST_MAIN(AppIconTest)
#include "AppIconTest.moc"
