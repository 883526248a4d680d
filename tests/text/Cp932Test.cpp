#include "Cp932.h"
#include "FileText.h"
#include "TextMetrics.h"
#include "RandomBytes.h"

#include <QTest>

class Cp932Test : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ASCII stays itself") << QByteArray("Hello\r\n") << QStringLiteral("Hello\r\n");
        QTest::newRow("5C and 7E are backslash and tilde") << QByteArray("\x5C\x7E") << QStringLiteral("\\~");
        QTest::newRow("half-width katakana A1 and DF") << QByteArray("\xA1\xDF") << QStringLiteral("\uFF61\uFF9F");
        QTest::newRow("83 41 is the katakana A") << QByteArray("\x83\x41") << QStringLiteral("ア");
        QTest::newRow("kanji 93 FA 96 7B") << QByteArray("\x93\xFA\x96\x7B") << QStringLiteral("日本");
        QTest::newRow("NEC row 13: 87 40 is a circled one") << QByteArray("\x87\x40") << QStringLiteral("①");
        QTest::newRow("IBM extension FA 40 is a small roman one") << QByteArray("\xFA\x40") << QStringLiteral("ⅰ");
        QTest::newRow("80, A0, FD, FE, FF are undefined")
            << QByteArray("\x80\xA0\xFD\xFE\xFF") << bad.repeated(5);
        QTest::newRow("unassigned pair 85 40 is one undefined character") << QByteArray("\x85\x40") << bad;
        QTest::newRow("lead byte at the end is one undefined character") << QByteArray("A\x83") << QStringLiteral("A") + bad;
        QTest::newRow("lead byte before a line feed keeps the line feed")
            << QByteArray("\x81\n") << bad + QStringLiteral("\n");
        QTest::newRow("lead byte before a lead byte pairs with it") << QByteArray("\x81\x81\x41") << QStringLiteral("＝A");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp932::instance().decode(bytes.constData(), bytes.size()), text);
    }

    void splittingNeverLosesOrInventsBytes()
    {
        for (quint32 seed = 1; seed <= 20; ++seed) {
            const QByteArray bytes = randomBytes(4000, seed, 0.4);
            qsizetype total = 0;
            qsizetype characters = 0;
            while (total < bytes.size()) {
                total += Cp932::characterLength(bytes.constData() + total, bytes.size() - total);
                ++characters;
            }
            QCOMPARE(total, bytes.size());
            QCOMPARE(Cp932::instance().decode(bytes.constData(), bytes.size()).size(), characters);
        }
    }

    void fileTextDecodesWhatWasCommitted()
    {
        FileText text(8, TextMetrics::uniform(64, 512));
        std::memcpy(text.blockBuffer(2), "\x83\x41", 2);
        text.commit(2);
        std::memcpy(text.blockBuffer(2), "bc", 2);
        text.commit(2);
        QCOMPARE(text.size(), 4);
        QCOMPARE(text.toString(), QStringLiteral("アbc"));
    }
};

QTEST_APPLESS_MAIN(Cp932Test)
#include "Cp932Test.moc"
