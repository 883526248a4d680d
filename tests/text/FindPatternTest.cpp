#include "FindPattern.h"

#include <QTest>

// What the user types into the find bar, as the bytes looked for; or the
// message that says why not.

Q_DECLARE_METATYPE(TextEncoding)

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

    void textIsItsBytesInTheTextsEncoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");
        const auto U8 = TextEncoding::Utf8, Euc = TextEncoding::EucJp, LE = TextEncoding::Utf16Le, BE = TextEncoding::Utf16Be;
        QTest::newRow("UTF-8: katakana and ASCII") << U8 << "アa" << true << "E3 82 A2 61";
        QTest::newRow("UTF-8: a character beyond 16 bits") << U8 << "😀" << true << "F0 9F 98 80";
        QTest::newRow("UTF-8: U+FEFF has a form too") << U8 << QString(QChar(0xFEFF)) << true << "EF BB BF";
        QTest::newRow("UTF-8: a lone surrogate is refused") << U8 << QString(QChar(0xD800)) << false << "(U+D800) は UTF-8 にない";
        QTest::newRow("UTF-16LE: a surrogate pair after katakana") << LE << "ア😀" << true << "A2 30 3D D8 00 DE";
        QTest::newRow("UTF-16LE: a line break, hinted in its bytes") << LE << "a\nb" << false << "（0D 00 0A 00、0A 00）";
        QTest::newRow("UTF-16BE: a line break, hinted in its bytes") << BE << "\r" << false << "（00 0D 00 0A、00 0A）";
        QTest::newRow("EUC-JP: a line break, hinted as ASCII") << Euc << "\r\n" << false << "（0D 0A、0A）";
        QTest::newRow("EUC-JP: JIS X 0208 and half-width katakana") << Euc << "アｱ" << true << "A5 A2 8E B1";
        QTest::newRow("EUC-JP: JIS X 0212 in three bytes") << Euc << "丂" << true << "8F B0 A1";
        QTest::newRow("EUC-JP: the wave dash and the full-width tilde apart") << Euc << "〜～" << true << "A1 C1 8F A2 B7";
        QTest::newRow("EUC-JP: code page 932's signs in their JIS form") << Euc << "￢∥－￠￡" << true << "A2 CC A1 C2 A1 DD A1 F1 A1 F2";
        QTest::newRow("EUC-JP: NEC row 13 is refused, named") << Euc << "a①" << false << "「①」(U+2460) は EUC-JP にない";
        QTest::newRow("EUC-JP: beyond 16 bits is refused") << Euc << "😀" << false << "(U+1F600) は EUC-JP にない";
    }

    void textIsItsBytesInTheTextsEncoding()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        const FindPatternParse parse = encodeTextPattern(typed, encoding);
        QCOMPARE(parse.ok(), ok);
        if (ok)
            QCOMPARE(written(parse.pattern), expected);
        else
            QVERIFY2(parse.error.contains(expected), qPrintable(parse.error));
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
