#include "BruteText.h"
#include "EncodedTexts.h"
#include "FileText.h"
#include "IndexStates.h"
#include "LineLayout.h"
#include "ScanPath.h"
#include "TextNavigator.h"

#include <QTest>
#include <algorithm>

Q_DECLARE_METATYPE(TextEncoding)

// A text read again in another encoding: its lines, characters, steps and
// x against brute force by the codec, whatever the bytes and wherever the
// steps of the reading end.
class EncodedIndexTest : public QObject
{
    Q_OBJECT

private slots:
    void matchesBruteForce_data();
    void matchesBruteForce();
};

namespace {

// `filler` bytes of ASCII, then `bytes`: what follows lands `filler` bytes
// into the text, at a checkpoint's edge when filler is near 4096.
QByteArray after(qsizetype filler, const QByteArray &bytes, TextEncoding encoding)
{
    const qsizetype unit = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be ? 2 : 1;
    return encodedAs(QString(filler / unit, u'a'), encoding).left(filler) + bytes;
}

// Bytes that end a run, or are no character, in each encoding.
QList<QByteArray> stoppers(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: // overlong, surrogate, their valid neighbours, cut, stray, two and four bytes
        return {"\xE0\x80\xAF", "\xED\xA0\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xE3\x81", "\x81", "\xC2\xA9", "\xF0\x9F\x98\x80", "\x7F", "\t"};
    case TextEncoding::EucJp: // no character (before the odd stretches of A1-FE shift the pairs), 8E and 8F, C1, A0, FF
        return {"\xA9\xA1", "\xA4", "\xA4\xA2\xA4", "\x8E\xB1", "\x8F\xB0\xA1", "\x85", "\xA0", "\xFF", "\x7F", "\t"};
    default: // a lone surrogate, DEL, a tab, U+FFFF
        return {encodedAs(QStringLiteral("\uFFFF\t"), encoding), QByteArray("\x7F\x00\x00\xD8", 4), QByteArray("\x00\x7F\xD8\x00", 4)};
    }
}

// After a line break, ASCII bytes to shift each stopper to every place in
// a 32-byte load, among Japanese characters that the runs take.
QByteArray stoppersAtEveryOffset(TextEncoding encoding)
{
    const QByteArray kana = encodedAs(QStringLiteral("ひらがなとカタカナ"), encoding);
    QByteArray bytes;
    for (int shift = 0; shift < 34; ++shift) {
        bytes += encodedAs(QStringLiteral("\n") + QString(shift, u'a'), encoding) + kana;
        for (const QByteArray &stopper : stoppers(encoding))
            bytes += stopper + kana;
    }
    return bytes;
}

std::vector<qint64> probesOf(qint64 n)
{
    std::vector<qint64> at;
    const qint64 stride = n <= 5000 ? 1 : 1 + n / 1500;
    for (qint64 p = 0; p <= n; p += stride)
        at.push_back(p);
    at.push_back(n);
    return at;
}

} // namespace

void EncodedIndexTest::matchesBruteForce_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::EucJp, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        const QByteArray name = textCodec(encoding).name().toLatin1();
        const bool unicode = encoding != TextEncoding::EucJp; // EUC-JP has no emoji and no byte-order mark
        const QString wide = unicode ? QStringLiteral("\U0001F600漢") : QStringLiteral("漢字");
        const QString lines = japaneseSentences().join(QStringLiteral("\r\n\t")) + QStringLiteral("\n") + wide + QStringLiteral("\r");
        const QByteArray crLf = encodedAs(QStringLiteral("\r\n"), encoding);
        QTest::addRow("%s: random pieces, ill-formed ones among them", name.data()) << encoding << mixedEncodedText(encoding, 5, 3000);
        QTest::addRow("%s: bytes that end a run at every place in a vector", name.data()) << encoding << stoppersAtEveryOffset(encoding);
        QTest::addRow("%s: long lines past a line checkpoint", name.data()) << encoding << encodedAs(lines.repeated(100), encoding);
        if (unicode)
            QTest::addRow("%s: a byte-order mark, then text", name.data()) << encoding << encodedAs(QStringLiteral("\uFEFFあ\r\nい\uFEFF"), encoding);
        for (qsizetype back : {1, 2, 3}) {
            QTest::addRow("%s: a CR LF %d bytes before a checkpoint", name.data(), int(back)) << encoding << after(4096 - back, crLf + "x", encoding);
            QTest::addRow("%s: a long character %d bytes before a checkpoint", name.data(), int(back))
                << encoding << after(4096 - back, encodedAs(wide, encoding), encoding);
        }
    }
    QTest::newRow("UTF-8: overlongs, surrogates, beyond U+10FFFF, cut at the end")
        << TextEncoding::Utf8 << QByteArray("\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\r\xE3\x81", 16);
    QTest::newRow("UTF-16LE: lone, reversed surrogates and an odd final byte")
        << TextEncoding::Utf16Le << QByteArray("\x00\xD8\x41\x00\x00\xDC\x00\xD8\x0D\x00\x0A\x00\x00\xDC\x00\xD8\x0D", 17);
    QTest::newRow("UTF-16BE: a CR LF unit's bytes that are parts of other units")
        << TextEncoding::Utf16Be << QByteArray("\x0D\x0A\x0A\x0D\x00\x0D\x00\x0A\x0A\x00", 10);
    QTest::newRow("EUC-JP: 8F with one and two trail bytes, 8E alone")
        << TextEncoding::EucJp << QByteArray("\x8F\xA1\x8F\xA1\xA1\x8E\r\n\x8E\xB1\xA4\xA2\x8F", 13);
}

void EncodedIndexTest::matchesBruteForce()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    const BruteText brute(bytes, encoding);
    const std::vector<qint64> at = probesOf(bytes.size());
    const std::pair<QList<qint64>, const char *> readings[] = {{{}, "proportional"}, {{1, 3, 4095, 7}, "kerned"}, {{4097, 61}, "uniform"}};
    // The runs have a vector path of their own.
    std::vector<ScanPath> paths{ScanPath::Reference};
    if (std::ranges::count(runnableScanPaths(), ScanPath::Avx2))
        paths.push_back(ScanPath::Avx2);
    for (const auto &[steps, metrics] : readings) {
        for (const ScanPath path : paths) {
            overrideScanPath(path);
            const auto text = encodedText(bytes, encoding, 1 << 16, steps, scanTestMetrics(QString::fromLatin1(metrics)));
            overrideScanPath(std::nullopt);
            QCOMPARE(text->size(), bytes.size());
            const TextNavigator navigator(*text);
            QCOMPARE(checkLines(brute, navigator, at), QString());
            QCOMPARE(checkCharacters(brute, navigator, at), QString());
            QCOMPARE(checkLayout(brute, LineLayout(*text, text->index().characters()), 1 + bytes.size() / 500), QString());
        }
    }
}

QTEST_GUILESS_MAIN(EncodedIndexTest)
#include "EncodedIndexTest.moc"
