#include "CharacterDescriber.h"
#include "FileText.h"
#include "HexAddress.h"
#include "HexBytes.h"
#include "TestFiles.h"
#include "TestTexts.h"
#include "TextUnitsTesting.h"

#include <QLocale>
#include <QTest>
#include <unistd.h>

// The info line, the addresses typed to go to, and bytes as hex.

Q_DECLARE_METATYPE(TextEncoding)

class CharacterDescriberTest : public QObject
{
    Q_OBJECT

private slots:
    void describesTheCaretOrTheSelection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("anchor");
        QTest::addColumn<qint64>("cursor");
        QTest::addColumn<QString>("line");
        QTest::newRow("a single byte")
            << QByteArray("A") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 41  U+0041 A");
        QTest::newRow("a double-byte character with its row and cell")
            << QByteArray("x\x83\x41") << 1LL << 1LL << QStringLiteral("アドレス 00000001  バイト 83 41  U+30A2 ア  区点 05-02");
        QTest::newRow("half-width katakana")
            << QByteArray("\xB1") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト B1  U+FF71 ｱ");
        QTest::newRow("NEC special characters are row 13")
            << QByteArray("\x87\x40") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 87 40  U+2460 ①  区点 13-01 NEC特殊文字");
        QTest::newRow("NEC-selected IBM extensions")
            << QByteArray("\xED\x40") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト ED 40  U+7E8A 纊  区点 89-01 NEC選定IBM拡張");
        QTest::newRow("IBM extensions, past JIS's rows")
            << QByteArray("\xFA\x40") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト FA 40  U+2170 ⅰ  IBM拡張");
        QTest::newRow("the user-defined area")
            << QByteArray("\xF0\x40") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト F0 40  U+E000 \uE000  外字");
        QTest::newRow("a wave dash that JIS maps otherwise")
            << QByteArray("\x81\x60") << 0LL << 0LL
            << QStringLiteral("アドレス 00000000  バイト 81 60  U+FF5E ～  区点 01-33  ※JIS の Shift_JIS では U+301C 〜");
        QTest::newRow("5C, a yen sign in JIS X 0201")
            << QByteArray("\\") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 5C  U+005C \\  ※JIS の Shift_JIS では U+00A5 ¥");
        QTest::newRow("a tab by name")
            << QByteArray("\t") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 09  U+0009 TAB");
        QTest::newRow("a NUL by name")
            << QByteArray(1, '\0') << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 00  U+0000 NUL");
        QTest::newRow("a CR LF is one character of two bytes")
            << QByteArray("a\r\nb") << 1LL << 1LL << QStringLiteral("アドレス 00000001  バイト 0D 0A  U+000D U+000A CR LF");
        QTest::newRow("a lone LF")
            << QByteArray("\n") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 0A  U+000A LF");
        QTest::newRow("an unassigned pair is invalid")
            << QByteArray("\x85\x40") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト 85 40  U+FFFD  不正なバイト");
        QTest::newRow("an undefined single byte is invalid")
            << QByteArray("\xA0") << 0LL << 0LL << QStringLiteral("アドレス 00000000  バイト A0  U+FFFD  不正なバイト");
        QTest::newRow("a lead byte at the end is invalid")
            << QByteArray("a\x83") << 1LL << 1LL << QStringLiteral("アドレス 00000001  バイト 83  U+FFFD  不正なバイト");
        QTest::newRow("the end of the text")
            << QByteArray("ab\x83\x41") << 4LL << 4LL << QStringLiteral("アドレス 00000004  テキストの終わり");
        QTest::newRow("the end of an empty text")
            << QByteArray() << 0LL << 0LL << QStringLiteral("アドレス 00000000  テキストの終わり");
        QTest::newRow("a selection counts a CR LF as one character")
            << QByteArray("ab\x83\x41\r\ncd") << 0LL << 6LL << QStringLiteral("アドレス 00000000 - 00000005  選択 6 バイト  4 文字");
        QTest::newRow("a selection made backwards")
            << QByteArray("ab\x83\x41\r\ncd") << 8LL << 2LL << QStringLiteral("アドレス 00000002 - 00000007  選択 6 バイト  4 文字");
    }

    void describesTheCaretOrTheSelection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, anchor);
        QFETCH(qint64, cursor);
        QFETCH(QString, line);
        const auto text = fileTextOf(bytes);
        QCOMPARE(CharacterDescriber(*text).describe(BytePosition(anchor), BytePosition(cursor)), line);
    }

    // The bytes given as hex; anchor and cursor as above.
    void describesInTheTextsEncoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<qint64>("anchor");
        QTest::addColumn<qint64>("cursor");
        QTest::addColumn<QString>("line");
        const auto row = [](const char *name, TextEncoding encoding, const char *hex, qint64 anchor, qint64 cursor, const QString &line) {
            QTest::newRow(name) << encoding << QByteArray(hex) << anchor << cursor << line;
        };
        const auto U8 = TextEncoding::Utf8, Euc = TextEncoding::EucJp, LE = TextEncoding::Utf16Le, BE = TextEncoding::Utf16Be;
        row("UTF-8: a three-byte character after ASCII", U8, "78 E3 82 A2", 1, 1, QStringLiteral("アドレス 00000001  バイト E3 82 A2  U+30A2 ア"));
        row("UTF-8: four bytes beyond 16 bits, five hex digits", U8, "F0 9F 98 80", 0, 0, QStringLiteral("アドレス 00000000  バイト F0 9F 98 80  U+1F600 😀"));
        row("UTF-8: a C1 control by kind", U8, "C2 85", 0, 0, QStringLiteral("アドレス 00000000  バイト C2 85  U+0085 制御文字"));
        row("UTF-8: a truncated sequence is one invalid part", U8, "E3 82 41", 0, 0, QStringLiteral("アドレス 00000000  バイト E3 82  U+FFFD  不正なバイト"));
        row("UTF-8: an overlong lead is invalid alone", U8, "C0 AF", 0, 0, QStringLiteral("アドレス 00000000  バイト C0  U+FFFD  不正なバイト"));
        row("UTF-8: the byte-order mark at the start", U8, "EF BB BF 41", 0, 0, QStringLiteral("アドレス 00000000  バイト EF BB BF  U+FEFF バイト順マーク"));
        row("EUC-JP: JIS X 0208 with its row and cell", Euc, "41 A5 A2", 1, 1, QStringLiteral("アドレス 00000001  バイト A5 A2  U+30A2 ア  区点 05-02"));
        row("EUC-JP: half-width katakana", Euc, "8E B1", 0, 0, QStringLiteral("アドレス 00000000  バイト 8E B1  U+FF71 ｱ  半角カナ"));
        row("EUC-JP: JIS X 0212 in three bytes", Euc, "8F B0 A1", 0, 0, QStringLiteral("アドレス 00000000  バイト 8F B0 A1  U+4E02 丂  区点 16-01 補助漢字"));
        row("EUC-JP: 8F with one trail byte is one invalid part", Euc, "8F A1 41", 0, 0, QStringLiteral("アドレス 00000000  バイト 8F A1  U+FFFD  不正なバイト"));
        row("EUC-JP: a pair of a row JIS leaves empty", Euc, "A9 A1", 0, 0, QStringLiteral("アドレス 00000000  バイト A9 A1  U+FFFD  不正なバイト"));
        row("EUC-JP: 8E before no katakana is invalid alone", Euc, "8E 41", 0, 0, QStringLiteral("アドレス 00000000  バイト 8E  U+FFFD  不正なバイト"));
        row("UTF-16LE: ASCII in two bytes", LE, "41 00", 0, 0, QStringLiteral("アドレス 00000000  バイト 41 00  U+0041 A"));
        row("UTF-16LE: a surrogate pair is one character", LE, "41 00 3D D8 00 DE", 2, 2, QStringLiteral("アドレス 00000002  バイト 3D D8 00 DE  U+1F600 😀"));
        row("UTF-16LE: a CR LF is one character of four bytes", LE, "0D 00 0A 00", 0, 0, QStringLiteral("アドレス 00000000  バイト 0D 00 0A 00  U+000D U+000A CR LF"));
        row("UTF-16LE: the byte-order mark at the start", LE, "FF FE 41 00", 0, 0, QStringLiteral("アドレス 00000000  バイト FF FE  U+FEFF バイト順マーク"));
        row("UTF-16LE: a lone low surrogate", LE, "00 DC 41 00", 0, 0, QStringLiteral("アドレス 00000000  バイト 00 DC  U+FFFD  不正なバイト"));
        row("UTF-16LE: an odd final byte", LE, "41 00 78", 2, 2, QStringLiteral("アドレス 00000002  バイト 78  U+FFFD  不正なバイト"));
        row("UTF-16BE: katakana", BE, "30 A2", 0, 0, QStringLiteral("アドレス 00000000  バイト 30 A2  U+30A2 ア"));
        row("UTF-16BE: U+FEFF past the start is the character itself", BE, "00 41 FE FF", 2, 2, QStringLiteral("アドレス 00000002  バイト FE FF  U+FEFF \uFEFF"));
        row("UTF-16LE: a selection counts bytes, a CR LF as one character and a pair as two", LE, "61 00 3D D8 00 DE 0D 00 0A 00 62 00",
            0, 12, QStringLiteral("アドレス 00000000 - 0000000B  選択 12 バイト  5 文字"));
        row("EUC-JP: a selection of three characters", Euc, "8F B0 A1 A5 A2 8E B1", 7, 0, QStringLiteral("アドレス 00000000 - 00000006  選択 7 バイト  3 文字"));
    }

    void describesInTheTextsEncoding()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, hex);
        QFETCH(qint64, anchor);
        QFETCH(qint64, cursor);
        QFETCH(QString, line);
        const auto text = fileTextOf(QByteArray::fromHex(hex), encoding);
        QCOMPARE(CharacterDescriber(*text).describe(BytePosition(anchor), BytePosition(cursor)), line);
    }

    // Counted from the index's checkpoints on either side.
    void aLongSelectionIsCountedFromTheIndex()
    {
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += i % 3 == 0 ? QByteArray("\r\n") : i % 3 == 1 ? QByteArray("\x93\xFA") : QByteArray("a");
        const auto text = fileTextOf(bytes, 4097);
        const qint64 from = 7, to = bytes.size() - 3;
        const QString selected = QString::fromLatin1(bytes.mid(from, to - from)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QString expected = QStringLiteral("アドレス 00000007 - %1  選択 %2 バイト  %3 文字")
                                     .arg(formatAddress(to - 1), QLocale(QLocale::Japanese).toString(to - from),
                                          QLocale(QLocale::Japanese).toString(selected.size() - selected.count(QChar(0x93))));
        QCOMPARE(CharacterDescriber(*text).describe(BytePosition(from), BytePosition(to)), expected);
    }

    void aShortenedMappedFileShowsWhatItHoldsNow()
    {
        TestFiles files;
        const QString path = files.write("shortened.txt", QByteArray(8192, 'a') + "\x83\x41");
        const auto text = mappedTextOf(path);
        QVERIFY(::truncate(qPrintable(path), 0) == 0);
        QCOMPARE(CharacterDescriber(*text).describe(8192_byte, 8192_byte), QStringLiteral("アドレス 00002000  バイト 00  U+0000 NUL"));
    }

    void readsATypedAddress_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("address"); // -1: refused
        QTest::addColumn<QString>("error");
        QTest::newRow("upper case") << "1A2F0" << 0x20000LL << 0x1A2F0LL << QString();
        QTest::newRow("lower case with 0x") << "0x1a2f0" << 0x20000LL << 0x1A2F0LL << QString();
        QTest::newRow("0X and spaces around") << "  0X10 " << 0x20LL << 0x10LL << QString();
        QTest::newRow("full-width digits") << "１Ａ" << 0x20LL << 0x1ALL << QString();
        QTest::newRow("leading zeros beyond 16 digits") << "00000000000000000001" << 2LL << 1LL << QString();
        QTest::newRow("the end is an address") << "20" << 0x20LL << 0x20LL << QString();
        QTest::newRow("past the end") << "21" << 0x20LL << -1LL
                                      << QStringLiteral("アドレス 00000021 はテキストの終わり (00000020) より後です。");
        QTest::newRow("empty") << "" << 0x20LL << -1LL << QStringLiteral("アドレスを16進数で入力してください。");
        QTest::newRow("blank") << "  " << 0x20LL << -1LL << QStringLiteral("アドレスを16進数で入力してください。");
        QTest::newRow("0x alone") << "0x" << 0x20LL << -1LL << QStringLiteral("「0x」の後に16進数の数字がありません。");
        QTest::newRow("not hex") << "12G4" << 0x20LL << -1LL
                                 << QStringLiteral("「G」は16進数の数字ではありません。0-9 と A-F で入力してください。");
        QTest::newRow("a minus sign") << "-1" << 0x20LL << -1LL
                                      << QStringLiteral("「-」は16進数の数字ではありません。0-9 と A-F で入力してください。");
        QTest::newRow("2^63 - 1 in a text that large") << "7FFFFFFFFFFFFFFF" << std::numeric_limits<qint64>::max()
                                                       << std::numeric_limits<qint64>::max() << QString();
        QTest::newRow("2^63 is too large") << "8000000000000000" << 0x20LL << -1LL
                                           << QStringLiteral("アドレスが大きすぎます。最後のアドレスは 00000020 です。");
        QTest::newRow("far beyond 2^64") << "123456789ABCDEF0123" << 0x20LL << -1LL
                                         << QStringLiteral("アドレスが大きすぎます。最後のアドレスは 00000020 です。");
    }

    void readsATypedAddress()
    {
        QFETCH(QString, input);
        QFETCH(qint64, size);
        QFETCH(qint64, address);
        QFETCH(QString, error);
        const AddressEntry entry = parseAddress(input, size);
        QCOMPARE(entry.address.value_or(-1), address);
        QCOMPARE(entry.error, error);
    }

    void addressesHaveEightDigitsOrMore()
    {
        QCOMPARE(formatAddress(0x1A2F0), QStringLiteral("0001A2F0"));
        QCOMPARE(formatAddress(0x7123456789ABLL), QStringLiteral("7123456789AB"));
    }

    // Written in two parts, as a copy writes its steps.
    void bytesAsHexSixteenToALine()
    {
        QByteArray bytes;
        for (int i = 0; i < 34; ++i)
            bytes += char(i * 7 + 0xA0);
        QString hex;
        appendHexBytes(hex, bytes.constData(), 5);
        appendHexBytes(hex, bytes.constData() + 5, bytes.size() - 5, 5);
        QString expected;
        for (int i = 0; i < bytes.size(); ++i)
            expected += (i == 0 ? "" : i % 16 == 0 ? "\n" : " ") + QString::number(quint8(bytes[i]), 16).rightJustified(2, u'0').toUpper();
        QCOMPARE(hex, expected);
        QCOMPARE(hex.section(u'\n', 0, 0), QStringLiteral("A0 A7 AE B5 BC C3 CA D1 D8 DF E6 ED F4 FB 02 09"));
    }
};

QTEST_GUILESS_MAIN(CharacterDescriberTest)
#include "CharacterDescriberTest.moc"
