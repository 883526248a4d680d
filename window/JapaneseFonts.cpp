#include "JapaneseFonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>

const QStringList JapaneseFonts::DumpFamilies = {
    QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
    QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic"),
};

const QStringList JapaneseFonts::WindowFamilies = {
    QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
};

QFont JapaneseFonts::dumpFont()
{
    for (const QString &family : DumpFamilies) {
        if (!QFontDatabase::hasFamily(family))
            continue;
        QFont font(family, PointSize);
        if (hasEqualAdvances(font))
            return font;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(PointSize);
    return font;
}

QFont JapaneseFonts::windowFont()
{
    for (const QString &family : WindowFamilies) {
        if (QFontDatabase::hasFamily(family))
            return QFont(family, PointSize);
    }
    return QApplication::font();
}

bool JapaneseFonts::hasEqualAdvances(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char(' '));
    for (char c = 0x21; c <= 0x7E; ++c) {
        if (qAbs(metrics.horizontalAdvance(QLatin1Char(c)) - advance) > 0.01)
            return false;
    }
    return advance > 0;
}
