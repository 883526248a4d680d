#include "EncodedTexts.h"
#include "EncodingHint.h"
#include "RandomBytes.h"
#include "TextCodec.h"

#include <QTest>

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(std::optional<TextEncoding>)

namespace {

// What the hint should say of a text in `encoding`: code page 932 is no hint.
std::optional<TextEncoding> expectedHint(TextEncoding encoding)
{
    return encoding == TextEncoding::Cp932 ? std::nullopt : std::optional(encoding);
}

// Every sentence alone (short), all of them on lines repeated to a few
// kilobytes (long), and source code with Japanese comments, short and long,
// in `encoding`.
QList<QByteArray> testTexts(TextEncoding encoding)
{
    QList<QByteArray> texts;
    for (const QString &sentence : japaneseSentences())
        texts.append(encodedAs(sentence, encoding));
    texts.append(encodedAs(japaneseSentences().join(QStringLiteral("\r\n")).repeated(12), encoding));
    // Mostly ASCII: source code with Japanese comments.
    const QString source = QStringLiteral("int count = 0; // 件数を数える\nif (count > limit) {\n    return error; /* 上限を超えた */\n}\n");
    texts.append(encodedAs(source, encoding));
    texts.append(encodedAs(source.repeated(40), encoding));
    return texts;
}

// The shortest start of `bytes` from which on the hint is right, up to 256
// bytes.
qsizetype bytesNeeded(const QByteArray &bytes, std::optional<TextEncoding> right)
{
    qsizetype needed = bytes.size() + 1;
    for (qsizetype n = qMin(bytes.size(), qsizetype(256)); n > 0 && EncodingHint::of(QByteArrayView(bytes).first(n)) == right; --n)
        needed = n;
    return needed;
}

} // namespace

class EncodingHintTest : public QObject
{
    Q_OBJECT

private slots:
    void rightOnTheTestTexts_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        for (TextEncoding encoding : AllTextEncodings)
            QTest::newRow(qPrintable(textCodec(encoding).name())) << encoding;
    }

    // Every sentence alone and the long text; how many bytes each start
    // needs before the hint is right is shown, the most must stay small.
    void rightOnTheTestTexts()
    {
        QFETCH(TextEncoding, encoding);
        const QList<QByteArray> texts = testTexts(encoding);
        int right = 0;
        qsizetype mostNeeded = 0;
        for (const QByteArray &text : texts) {
            right += EncodingHint::of(text) == expectedHint(encoding) ? 1 : 0;
            if (encoding != TextEncoding::Cp932)
                mostNeeded = qMax(mostNeeded, bytesNeeded(text, expectedHint(encoding)));
        }
        qInfo("right on %d of %d texts; right from %lld bytes on at most", right, int(texts.size()), qlonglong(mostNeeded));
        QCOMPARE(right, texts.size());
        QVERIFY(mostNeeded <= 80);
    }

    void byteOrderMarksAndOtherBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<std::optional<TextEncoding>>("hint");
        const auto none = std::optional<TextEncoding>();
        QTest::newRow("a UTF-8 BOM decides at once") << QByteArray("\xEF\xBB\xBF") << std::optional(TextEncoding::Utf8);
        QTest::newRow("a UTF-16LE BOM decides before ASCII") << QByteArray("\xFF\xFE" "abc") << std::optional(TextEncoding::Utf16Le);
        QTest::newRow("a UTF-16BE BOM decides at once") << QByteArray("\xFE\xFF") << std::optional(TextEncoding::Utf16Be);
        QTest::newRow("a BOM after the start decides nothing") << QByteArray("The quick brown fox jumps over the lazy dog.\xFF\xFE") << none;
        QTest::newRow("ASCII is code page 932 as well") << QByteArray("#include <stdio.h>\nint main() { return 0; }\n") << none;
        QTest::newRow("fewer than 16 bytes give no hint") << encodedAs(QStringLiteral("日本語です"), TextEncoding::Utf8) << none;
        QTest::newRow("ASCII in UTF-16LE") << encodedAs(QStringLiteral("Hello, world.\r\n"), TextEncoding::Utf16Le) << std::optional(TextEncoding::Utf16Le);
        QTest::newRow("Windows-1252 quotes and dashes give no hint") << QByteArray("\x93quoted\x94 text \x97 a dash, more words. ").repeated(5) << none;
        const QByteArray sjis = encodedAs(japaneseSentences().join(QString()), TextEncoding::Cp932);
        QTest::newRow("code page 932 with stray bytes gives no hint") << sjis.first(100) + '\x80' + sjis.sliced(100) + '\xFF' << none;
        QTest::newRow("random bytes give no hint") << randomBytes(4096, 5) << none;
        QTest::newRow("zero bytes give no hint") << QByteArray(4096, '\0') << none;
    }

    void byteOrderMarksAndOtherBytes()
    {
        QFETCH(QByteArray, bytes);
        QTEST(EncodingHint::of(bytes), "hint");
    }

    // Windows from the middle of a text may cut a character at their start.
    void windowsAfterAnAsciiStart()
    {
        const QByteArray start(100, 'x');
        const QByteArray text = encodedAs(japaneseSentences().join(QString()), TextEncoding::Utf8);
        QCOMPARE(EncodingHint::of(start), std::nullopt);
        QCOMPARE(EncodingHint::of({start, QByteArrayView(text).sliced(2, 200)}), std::optional(TextEncoding::Utf8));
    }
};

QTEST_GUILESS_MAIN(EncodingHintTest)
#include "EncodingHintTest.moc"
