#include "EncodedTexts.h"
#include "EucJpCodec.h"
#include "TextCodec.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>
#include <iconv.h>

Q_DECLARE_METATYPE(TextEncoding)

namespace {

QList<qsizetype> starts(const TextCodec &codec, const QByteArray &bytes)
{
    QList<qsizetype> result;
    for (qsizetype i = 0; i < bytes.size(); i += codec.characterLength(bytes.constData() + i, bytes.size() - i))
        result.append(i);
    return result;
}

// One character through iconv from data[0]: its code point and length, or
// nothing where iconv finds no valid character.
std::optional<std::pair<char32_t, qsizetype>> iconvCharacter(iconv_t cd, const char *data, qsizetype n)
{
    char *in = const_cast<char *>(data);
    size_t inLeft = size_t(n);
    char32_t out = 0;
    char *outPtr = reinterpret_cast<char *>(&out);
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (outLeft != 0)
        return std::nullopt;
    return std::pair{out, qsizetype(in - data)};
}

} // namespace

class TextCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("lengths");
        const QString bad(QChar(0xFFFD));
        const auto u8 = TextEncoding::Utf8;
        const auto le = TextEncoding::Utf16Le;
        const auto be = TextEncoding::Utf16Be;
        const auto euc = TextEncoding::EucJp;
        using L = QList<qsizetype>;
        QTest::newRow("UTF-8 ASCII and a kana") << u8 << QByteArray("A\xE3\x81\x82") << QStringLiteral("Aあ") << L{1, 3};
        QTest::newRow("UTF-8 four bytes beyond the BMP") << u8 << QByteArray("\xF0\x9F\x98\x80") << QStringLiteral("\U0001F600") << L{4};
        QTest::newRow("UTF-8 three bytes cut at the end are one U+FFFD") << u8 << QByteArray("\xE3\x81") << bad << L{2};
        QTest::newRow("UTF-8 four bytes cut at the end are one U+FFFD") << u8 << QByteArray("\xF0\x9F\x98") << bad << L{3};
        QTest::newRow("UTF-8 cut sequence before ASCII keeps the ASCII") << u8 << QByteArray("\xE3\x81" "A") << bad + "A" << L{2, 1};
        QTest::newRow("UTF-8 overlong C0 AF is two U+FFFD") << u8 << QByteArray("\xC0\xAF") << bad.repeated(2) << L{1, 1};
        QTest::newRow("UTF-8 overlong E0 80 AF is three") << u8 << QByteArray("\xE0\x80\xAF") << bad.repeated(3) << L{1, 1, 1};
        QTest::newRow("UTF-8 overlong F0 80 80 AF is four") << u8 << QByteArray("\xF0\x80\x80\xAF") << bad.repeated(4) << L{1, 1, 1, 1};
        QTest::newRow("UTF-8 surrogate ED A0 80 is three") << u8 << QByteArray("\xED\xA0\x80") << bad.repeated(3) << L{1, 1, 1};
        QTest::newRow("UTF-8 beyond U+10FFFF is four") << u8 << QByteArray("\xF4\x90\x80\x80") << bad.repeated(4) << L{1, 1, 1, 1};
        QTest::newRow("UTF-8 stray continuation, F5 and FF") << u8 << QByteArray("\x80\xF5\xFF") << bad.repeated(3) << L{1, 1, 1};
        QTest::newRow("UTF-8 BOM at the start shows as nothing") << u8 << QByteArray("\xEF\xBB\xBF" "A") << QStringLiteral("A") << L{3, 1};
        QTest::newRow("UTF-8 BOM after the start is U+FEFF") << u8 << QByteArray("A\xEF\xBB\xBF") << QStringLiteral("A\uFEFF") << L{1, 3};
        QTest::newRow("UTF-16LE A and a kana") << le << QByteArray("A\0\x42\x30", 4) << QStringLiteral("Aあ") << L{2, 2};
        QTest::newRow("UTF-16BE A and a kana") << be << QByteArray("\0A\x30\x42", 4) << QStringLiteral("Aあ") << L{2, 2};
        QTest::newRow("UTF-16LE surrogate pair") << le << QByteArray("\x3D\xD8\x00\xDE", 4) << QStringLiteral("\U0001F600") << L{4};
        QTest::newRow("UTF-16BE surrogate pair") << be << QByteArray("\xD8\x3D\xDE\x00", 4) << QStringLiteral("\U0001F600") << L{4};
        QTest::newRow("UTF-16LE lone high surrogate before A") << le << QByteArray("\x3D\xD8" "A\0", 4) << bad + "A" << L{2, 2};
        QTest::newRow("UTF-16LE lone high surrogate at the end") << le << QByteArray("\x3D\xD8") << bad << L{2};
        QTest::newRow("UTF-16LE lone low surrogate") << le << QByteArray("\x00\xDE" "A\0", 4) << bad + "A" << L{2, 2};
        QTest::newRow("UTF-16LE reversed pair is two U+FFFD") << le << QByteArray("\x00\xDE\x3D\xD8", 4) << bad.repeated(2) << L{2, 2};
        QTest::newRow("UTF-16LE odd final byte") << le << QByteArray("A\0B", 3) << QStringLiteral("A") + bad << L{2, 1};
        QTest::newRow("UTF-16LE high surrogate before an odd final byte") << le << QByteArray("\x3D\xD8" "A") << bad.repeated(2) << L{2, 1};
        QTest::newRow("UTF-16LE BOM at the start shows as nothing") << le << QByteArray("\xFF\xFE" "A\0", 4) << QStringLiteral("A") << L{2, 2};
        QTest::newRow("UTF-16BE BOM at the start shows as nothing") << be << QByteArray("\xFE\xFF\0A", 4) << QStringLiteral("A") << L{2, 2};
        QTest::newRow("EUC-JP ASCII and kanji") << euc << QByteArray("A\xC6\xFC\xCB\xDC") << QStringLiteral("A日本") << L{1, 2, 2};
        QTest::newRow("EUC-JP SS2 half-width katakana") << euc << QByteArray("\x8E\xB1\x8E\xDF") << QStringLiteral("\uFF71\uFF9F") << L{2, 2};
        QTest::newRow("EUC-JP SS2 before no katakana is alone") << euc << QByteArray("\x8E" "A") << bad + "A" << L{1, 1};
        QTest::newRow("EUC-JP SS2 before E0 leaves E0 to pair") << euc << QByteArray("\x8E\xE0\xA1") << bad + QStringLiteral("\u71F9") << L{1, 2};
        QTest::newRow("EUC-JP three bytes 8F B0 A1") << euc << QByteArray("\x8F\xB0\xA1") << QStringLiteral("丂") << L{3};
        QTest::newRow("EUC-JP 8F and one trail at the end") << euc << QByteArray("\x8F\xB0") << bad << L{2};
        QTest::newRow("EUC-JP 8F and one trail before ASCII") << euc << QByteArray("\x8F\xB0" "A") << bad + "A" << L{2, 1};
        QTest::newRow("EUC-JP 8F alone before ASCII") << euc << QByteArray("\x8F" "A") << bad + "A" << L{1, 1};
        QTest::newRow("EUC-JP 8F at the end") << euc << QByteArray("A\x8F") << "A" + bad << L{1, 1};
        QTest::newRow("EUC-JP JIS byte at the end") << euc << QByteArray("\xA4") << bad << L{1};
        QTest::newRow("EUC-JP unassigned row 9 is one character") << euc << QByteArray("\xA9\xA1") << bad << L{2};
        QTest::newRow("EUC-JP C1 controls, A0 and FF alone") << euc << QByteArray("\x80\x9F\xA0\xFF") << QStringLiteral("\u0080\u009F") + bad + bad << L{1, 1, 1, 1};
        QTest::newRow("EUC-JP has no BOM") << euc << QByteArray("\xEF\xBB\xBF") << QStringLiteral("\u93E4") + bad << L{2, 1};
        QTest::newRow("CP932 through the same interface") << TextEncoding::Cp932 << QByteArray("\x93\xFA\x96\x7B\x83") << QStringLiteral("日本") + bad << L{2, 2, 1};
    }

    void decode()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, lengths);
        const TextCodec &codec = textCodec(encoding);
        QCOMPARE(codec.encoding(), encoding);
        QCOMPARE(codec.decode(bytes.constData(), bytes.size(), true), text);
        QList<qsizetype> found;
        for (qsizetype i = 0; i < bytes.size(); i += found.last())
            found.append(codec.characterLength(bytes.constData() + i, bytes.size() - i));
        QCOMPARE(found, lengths);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("length");
        QTest::newRow("UTF-8 CR LF") << TextEncoding::Utf8 << QByteArray("\r\nA") << qsizetype(2);
        QTest::newRow("UTF-8 CR alone") << TextEncoding::Utf8 << QByteArray("\rA") << qsizetype(1);
        QTest::newRow("EUC-JP LF") << TextEncoding::EucJp << QByteArray("\n") << qsizetype(1);
        QTest::newRow("UTF-16LE CR LF is 0D 00 0A 00") << TextEncoding::Utf16Le << QByteArray("\r\0\n\0", 4) << qsizetype(4);
        QTest::newRow("UTF-16LE CR alone") << TextEncoding::Utf16Le << QByteArray("\r\0A\0", 4) << qsizetype(2);
        QTest::newRow("UTF-16BE LF is 00 0A") << TextEncoding::Utf16Be << QByteArray("\0\n", 2) << qsizetype(2);
        QTest::newRow("UTF-16LE 0D 0A is U+0A0D, no break") << TextEncoding::Utf16Le << QByteArray("\r\n") << qsizetype(0);
        QTest::newRow("UTF-16BE 0D 00 is U+0D00, no break") << TextEncoding::Utf16Be << QByteArray("\r\0", 2) << qsizetype(0);
        QTest::newRow("UTF-16LE CR before an odd byte") << TextEncoding::Utf16Le << QByteArray("\r\0\n", 3) << qsizetype(2);
    }

    void lineBreaks()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, length);
        QCOMPARE(textCodec(encoding).lineBreakLength(bytes.constData(), bytes.size()), length);
    }

    void characterStartFromAnyByte_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        for (TextEncoding encoding : AllTextEncodings)
            QTest::newRow(qPrintable(textCodec(encoding).name())) << encoding;
    }

    // Every byte of random text finds the start of the character that holds
    // it, searching back from 0 or from any character start before it.
    void characterStartFromAnyByte()
    {
        QFETCH(TextEncoding, encoding);
        const TextCodec &codec = textCodec(encoding);
        const QByteArray bytes = mixedEncodedText(encoding, 7, 1500);
        const QList<qsizetype> characterStarts = starts(codec, bytes);
        qsizetype character = 0;
        for (qsizetype p = 0; p < bytes.size(); ++p) {
            if (character + 1 < characterStarts.size() && characterStarts[character + 1] <= p)
                ++character;
            const qsizetype known = characterStarts[character / 2];
            QCOMPARE(codec.characterStart(bytes.constData(), bytes.size(), p), characterStarts[character]);
            QCOMPARE(codec.characterStart(bytes.constData(), bytes.size(), p, known), characterStarts[character]);
        }
    }

    void eucJpRowCell_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("supplementary");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("cell");
        QTest::newRow("A4 A2 is 04-02") << QByteArray("\xA4\xA2") << true << false << 4 << 2;
        QTest::newRow("FE FE is 94-94") << QByteArray("\xFE\xFE") << true << false << 94 << 94;
        QTest::newRow("8F B0 A1 is JIS X 0212 16-01") << QByteArray("\x8F\xB0\xA1") << true << true << 16 << 1;
        QTest::newRow("8F B0 cut off has none") << QByteArray("\x8F\xB0") << false << false << 0 << 0;
        QTest::newRow("half-width katakana has none") << QByteArray("\x8E\xB1") << false << false << 0 << 0;
        QTest::newRow("ASCII has none") << QByteArray("AB") << false << false << 0 << 0;
    }

    void eucJpRowCell()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, found);
        const auto rowCell = EucJpCodec::rowCell(bytes.constData(), bytes.size());
        QCOMPARE(rowCell.has_value(), found);
        if (!found)
            return;
        QTEST(rowCell->supplementary, "supplementary");
        QTEST(rowCell->rowCell.row, "row");
        QTEST(rowCell->rowCell.cell, "cell");
    }

    void unicodeAgainstQt_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<int>("qtEncoding");
        QTest::newRow("UTF-8") << TextEncoding::Utf8 << int(QStringConverter::Utf8);
        QTest::newRow("UTF-16LE") << TextEncoding::Utf16Le << int(QStringConverter::Utf16LE);
        QTest::newRow("UTF-16BE") << TextEncoding::Utf16Be << int(QStringConverter::Utf16BE);
    }

    // Qt's decoders drop a BOM at the start too. They have no rule for how
    // many U+FFFD invalid bytes make (UTF-8 makes one for each byte that
    // cannot go on, UTF-16 passes lone surrogates through), so runs of
    // U+FFFD count as one: valid characters and where invalid bytes are
    // must agree.
    void unicodeAgainstQt()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(int, qtEncoding);
        for (quint32 seed = 1; seed <= 4; ++seed) {
            const QByteArray bytes = (seed == 1 ? encodedAs(QStringLiteral("\uFEFF"), encoding) : QByteArray()) + mixedEncodedText(encoding, seed);
            QStringDecoder qt(QStringConverter::Encoding(qtEncoding), QStringConverter::Flag::Stateless);
            const QString ours = textCodec(encoding).decode(bytes.constData(), bytes.size(), true);
            QCOMPARE(withReplacementRunsAsOne(ours), withReplacementRunsAsOne(QString(qt.decode(bytes))));
        }
    }

    // Character by character, glibc's EUC-JP reads the same character where
    // it finds one, and finds none where the codec reads U+FFFD.
    void eucJpAgainstIconv()
    {
        const TextCodec &codec = textCodec(TextEncoding::EucJp);
        iconv_t cd = iconv_open("UTF-32LE", "EUC-JP");
        QVERIFY(cd != iconv_t(-1));
        const QByteArray bytes = mixedEncodedText(TextEncoding::EucJp, 11, 20000);
        for (qsizetype i = 0; i < bytes.size();) {
            const DecodedCharacter c = codec.characterAt(bytes.constData() + i, bytes.size() - i);
            const auto expected = iconvCharacter(cd, bytes.constData() + i, bytes.size() - i);
            QVERIFY2(c.valid == expected.has_value(), bytes.mid(i, 4).toHex(' '));
            if (c.valid)
                QCOMPARE(std::pair(c.codePoint, c.length), *expected);
            i += c.length;
        }
        iconv_close(cd);
    }
};

QTEST_GUILESS_MAIN(TextCodecTest)
#include "TextCodecTest.moc"
