#include "FindPattern.h"

#include <QTest>

// What the user types into the find bar, as the bytes looked for; or the
// message that says why not.

namespace {

// "83 41 ??": the pattern as the user would write it back.
QString written(const FindPattern &pattern)
{
    QStringList bytes;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        bytes << (pattern.any[i] ? QStringLiteral("??") : QStringLiteral("%1").arg(pattern.bytes[i], 2, 16, QChar(u'0')).toUpper());
    return bytes.join(u' ');
}

} // namespace

class FindPatternTest : public QObject
{
    Q_OBJECT

private slots:
    // expected: the bytes, or a part of the message.
    void hexIsReadAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pairs between spaces") << "83 41" << true << "83 41";
        QTest::newRow("pairs run together, lower case") << "8341fc" << true << "83 41 FC";
        QTest::newRow("any byte between fixed ones") << "83??41" << true << "83 ?? 41";
        QTest::newRow("tabs and spaces at both ends") << "\t 0d 0a \t" << true << "0D 0A";
        QTest::newRow("nothing typed") << "" << false << "入力してください";
        QTest::newRow("only spaces") << "   " << false << "入力してください";
        QTest::newRow("an odd count of digits") << "83 4" << false << "2 桁";
        QTest::newRow("a space within a byte") << "8 341" << false << "2 桁";
        QTest::newRow("one question mark with a digit") << "?3" << false << "2 桁";
        QTest::newRow("a character that is no hex digit") << "83 4G" << false << "「G」は 16 進数ではありません";
        QTest::newRow("a 0x prefix") << "0x83" << false << "「x」は 16 進数ではありません";
        QTest::newRow("full-width digits") << "８３" << false << "「８」は 16 進数ではありません";
    }

    void hexIsReadAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        const FindPatternParse parse = parseHexPattern(typed);
        QCOMPARE(parse.ok(), ok);
        if (ok) {
            QCOMPARE(written(parse.pattern), expected);
            QVERIFY(!parse.pattern.startsCharacter);
        } else {
            QVERIFY2(parse.error.contains(expected), qPrintable(parse.error));
        }
    }

    void textIsItsCodePageBytes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ASCII") << "Ab1" << true << "41 62 31";
        QTest::newRow("katakana and half-width katakana") << "アｱ" << true << "83 41 B1";
        QTest::newRow("a NEC row 13 character, not its IBM form") << "Ⅰ" << true << "87 54";
        QTest::newRow("an IBM extension, not its NEC-selected form") << "ⅰ纊" << true << "FA 40 FA 5C";
        QTest::newRow("full-width signs of the code page") << "￢～" << true << "81 CA 81 60";
        QTest::newRow("the same signs as JIS maps them") << "¬〜" << true << "81 CA 81 60";
        QTest::newRow("nothing typed") << "" << false << "入力してください";
        QTest::newRow("a pasted line break") << "ア\r\nイ" << false << "改行";
        QTest::newRow("a letter the code page lacks, named") << "café" << false << "「é」(U+00E9)";
        QTest::newRow("a character beyond 16 bits, named whole") << "a😀" << false << "「😀」(U+1F600)";
        QTest::newRow("the replacement character itself") << "\uFFFD" << false << "(U+FFFD)";
    }

    void textIsItsCodePageBytes()
    {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        const FindPatternParse parse = encodeTextPattern(typed);
        QCOMPARE(parse.ok(), ok);
        if (ok) {
            QCOMPARE(written(parse.pattern), expected);
            QVERIFY(parse.pattern.startsCharacter);
        } else {
            QVERIFY2(parse.error.contains(expected), qPrintable(parse.error));
        }
    }

    void aPatternPastTheLimitIsRefused()
    {
        QVERIFY(parseHexPattern(QString(FindPattern::MaxLength * 2, u'a')).ok());
        QVERIFY(parseHexPattern(QString(FindPattern::MaxLength * 2 + 2, u'a')).error.contains(u"長すぎます"));
        QVERIFY(encodeTextPattern(QString(FindPattern::MaxLength / 2 + 1, u'ア')).error.contains(u"長すぎます"));
    }
};

QTEST_GUILESS_MAIN(FindPatternTest)
#include "FindPatternTest.moc"
