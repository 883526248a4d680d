#include "JapaneseFonts.h"
#include "StatusLabel.h"

#include <QTest>

class StatusLabelTest : public QObject
{
    Q_OBJECT

private slots:
    void paintsAsAPlainLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("fromGlyphs");
        QTest::newRow("a running caption") << QStringLiteral("実行中 1A2B3C/FFFFFFFF") << true;
        QTest::newRow("the last caption") << QStringLiteral("実行終了14/14") << true;
        QTest::newRow("a file of unknown size") << QStringLiteral("実行終了1388/?") << true;
        QTest::newRow("a caption too long for one line wraps") << QStringLiteral("実行中 123456789ABCDEF0/123456789ABCDEF0") << false;
        QTest::newRow("no caption") << QString() << false;
    }

    void paintsAsAPlainLabel()
    {
        QFETCH(QString, caption);
        QFETCH(bool, fromGlyphs);
        QLabel plain;
        StatusLabel status;
        for (QLabel *label : {&plain, static_cast<QLabel *>(&status)}) {
            label->setFont(JapaneseFonts::windowFont());
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->resize(211, 25);
            label->setText(caption);
        }
        QCOMPARE(status.paintsFromGlyphs(), fromGlyphs);
        QCOMPARE(status.grab().toImage(), plain.grab().toImage());
    }
};

QTEST_MAIN(StatusLabelTest)
#include "StatusLabelTest.moc"
