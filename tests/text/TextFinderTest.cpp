#include "Cp932.h"
#include "FileText.h"
#include "FindPath.h"
#include "TestFiles.h"
#include "TestTexts.h"
#include "TextFinder.h"

#include <QFile>
#include <QTest>

// Finds in a whole text, the copy and the mapping alike, by every path:
// each match as the view selects it, forward and backward.

Q_DECLARE_METATYPE(FindKind)
Q_DECLARE_METATYPE(TextEncoding)

namespace {

using Matches = QList<QPair<qint64, qint64>>; // the selections, in order

FindPattern patternOf(FindKind kind, const QByteArray &query)
{
    if (kind == FindKind::Text)
        return encodeTextPattern(Cp932::instance().decode(query.constData(), query.size())).pattern;
    return kind == FindKind::Hex ? parseHexPattern(QString::fromLatin1(query)).pattern : FindPattern{};
}

// Every match from the front, one call at a time from the end of the last;
// and from the back.
Matches forward(const TextFinder &finder)
{
    Matches matches;
    for (auto match = finder.first(0, finder.size()); match; match = finder.first(match->at + 1, finder.size()))
        matches << qMakePair(match->start.value(), match->end.value());
    return matches;
}

Matches backward(const TextFinder &finder)
{
    Matches matches;
    for (auto match = finder.last(0, finder.size()); match; match = finder.last(0, match->at))
        matches.prepend(qMakePair(match->start.value(), match->end.value()));
    return matches;
}

QByteArray repeated(const QByteArray &piece, int times)
{
    return piece.repeated(times);
}

} // namespace

class TextFinderTest : public QObject
{
    Q_OBJECT

    TestFiles files;

private slots:
    void cleanup() { overrideFindPath(std::nullopt); }

    // A text query is given as its code page 932 bytes.
    void everyMatchIsFoundBothWays_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FindKind>("kind");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<Matches>("matches");
        const auto T = FindKind::Text;
        const auto H = FindKind::Hex;
        QTest::newRow("text that occurs only from a trail byte is not that text")
            << QByteArray("\x83\x41\x42 AB") << T << QByteArray("AB") << Matches{{4, 6}};
        QTest::newRow("the same bytes as hex are found, with the characters that hold them")
            << QByteArray("\x83\x41\x42 AB") << H << QByteArray("41 42") << Matches{{0, 3}, {4, 6}};
        QTest::newRow("a double-byte text across the first checkpoint")
            << repeated("x", 4095) + "\x83\x41\x83\x43" << T << QByteArray("\x83\x41\x83\x43") << Matches{{4095, 4099}};
        QTest::newRow("after a run of lead bytes longer than the look back, only at every other byte")
            << repeated("\x89", 701) + "A" << T << QByteArray("\x89\x89" "A") << Matches{};
        QTest::newRow("after an even run of lead bytes, the last pair")
            << repeated("\x89", 700) + "\x89\x41" << T << QByteArray("\x89\x89\x89\x41") << Matches{{698, 702}};
        Matches everyOther;
        for (qint64 at = 1; at < 1200; at += 2)
            everyOther << qMakePair(at, at + 2);
        QTest::newRow("in a long run of lead bytes, a text that starts at every other byte")
            << "A" + repeated("\x89\xe0", 600) << T << QByteArray("\x89\xe0") << everyOther;
        QTest::newRow("in a long run of lead bytes, a text that would start between")
            << "A" + repeated("\x89\xe0", 600) << T << QByteArray("\xe0\x89") << Matches{};
        QTest::newRow("hex with a wildcard, overlapping matches")
            << QByteArray("\x83\x41\x83\x43\x83\x45") << H << QByteArray("83 ?? 83") << Matches{{0, 4}, {2, 6}};
        QTest::newRow("wildcards only: every byte")
            << QByteArray("ab\r\n") << H << QByteArray("??") << Matches{{0, 1}, {1, 2}, {2, 4}, {2, 4}};
        QTest::newRow("no match") << QByteArray("abc") << T << QByteArray("abd") << Matches{};
        QTest::newRow("invalid bytes: undefined, a pair with no character, a lead without its trail, one at the end")
            << QByteArray("a\x80" "b\x85\x40" "c\x81 d\xfd\x81") << FindKind::InvalidByte << QByteArray()
            << Matches{{1, 2}, {3, 5}, {6, 7}, {9, 10}, {10, 11}};
        QTest::newRow("platform-dependent: NEC row 13, NEC-selected IBM, IBM, user-defined; not JIS")
            << QByteArray("\x87\x40\x88\x9f\xed\x40\xfa\x40\xf0\x40") << FindKind::PlatformDependent << QByteArray()
            << Matches{{0, 2}, {4, 6}, {6, 8}, {8, 10}};
    }

    void everyMatchIsFoundBothWays()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FindKind, kind);
        QFETCH(QByteArray, query);
        QFETCH(Matches, matches);
        const auto copy = fileTextOf(bytes, 1000);
        const auto mapped = mappedTextOf(files.write(QStringLiteral("find.txt"), bytes), 1000);
        QVERIFY(mapped && mapped->isMapped());
        for (const auto &text : {copy, mapped})
            for (FindPath path : runnableFindPaths()) {
                overrideFindPath(path);
                const TextFinder finder(*text, kind, patternOf(kind, query));
                QCOMPARE(forward(finder), matches);
                QCOMPARE(backward(finder), matches);
            }
    }

    // The text as hex; a text query as typed.
    void everyMatchIsFoundInTheTextsEncoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<FindKind>("kind");
        QTest::addColumn<QString>("query");
        QTest::addColumn<Matches>("matches");
        const auto T = FindKind::Text, I = FindKind::InvalidByte;
        const auto U8 = TextEncoding::Utf8, Euc = TextEncoding::EucJp, LE = TextEncoding::Utf16Le, BE = TextEncoding::Utf16Be;
        QTest::newRow("UTF-16LE: text only at even offsets") << LE << QByteArray("41 00 00 41 00 41 00 00") << T << "A" << Matches{{0, 2}};
        QTest::newRow("UTF-16BE: text only at even offsets") << BE << QByteArray("30 A2 00 30 A2 30 A2 00") << T << "ア" << Matches{{0, 2}};
        QTest::newRow("UTF-16LE: hex at an odd offset selects both characters") << LE << QByteArray("41 00 42 00") << FindKind::Hex << "00 42" << Matches{{0, 4}};
        QTest::newRow("UTF-8: a character right after an invalid lead") << U8 << QByteArray("E3 E3 82 A2") << T << "ア" << Matches{{1, 4}};
        QTest::newRow("EUC-JP: a pair that starts at a trail byte is not that text")
            << Euc << QByteArray("A4 A5 A2 A1 A5 A2") << T << "ア" << Matches{{4, 6}};
        QTest::newRow("EUC-JP: a JIS X 0208 pair inside a JIS X 0212 character is not that text")
            << Euc << QByteArray("8F B0 A1 B0 A1") << T << "亜" << Matches{{3, 5}};
        QTest::newRow("EUC-JP: pairs go on after half-width katakana") << Euc << QByteArray("8E B1 A5 A2") << T << "ア" << Matches{{2, 4}};
        QTest::newRow("EUC-JP: 8E before a byte that is no katakana stands alone")
            << Euc << QByteArray("8E E0 A5 A2 A1 A5 A2") << T << "ア" << Matches{{5, 7}};
        QTest::newRow("EUC-JP: in a run of pairs past a checkpoint, a text that would start between")
            << Euc << "41" + QByteArray("A2A5").repeated(3000) << T << "ア" << Matches{};
        QTest::newRow("UTF-8: invalid parts, each maximal") << U8 << QByteArray("61 E3 82 62 C0 AF") << I << "" << Matches{{1, 3}, {4, 5}, {5, 6}};
        QTest::newRow("UTF-16LE: lone surrogates and an odd final byte")
            << LE << QByteArray("41 00 00 DC 3D D8 41 00 78") << I << "" << Matches{{2, 4}, {4, 6}, {8, 9}};
        QTest::newRow("EUC-JP: 8F with one trail, an empty pair, 8E before ASCII")
            << Euc << QByteArray("8F A1 41 A9 A1 8E 41") << I << "" << Matches{{0, 2}, {3, 5}, {5, 6}};
        QTest::newRow("EUC-JP: nothing is platform-dependent") << Euc << QByteArray("AD A1 F5 A1") << FindKind::PlatformDependent << "" << Matches{};
        Matches everyOther;
        for (qint64 at = 1; at < 6000; at += 2)
            everyOther << qMakePair(at, at + 2);
        QTest::newRow("EUC-JP: in a run of pairs past a checkpoint, a text at every pair")
            << Euc << "41" + QByteArray("A5A2").repeated(3000) << T << "ア" << everyOther;
    }

    void everyMatchIsFoundInTheTextsEncoding()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, hex);
        QFETCH(FindKind, kind);
        QFETCH(QString, query);
        QFETCH(Matches, matches);
        const QByteArray bytes = QByteArray::fromHex(hex);
        const auto copy = fileTextOf(bytes, encoding, 1000);
        const auto mapped = readAs(mappedTextOf(files.write(QStringLiteral("find.txt"), bytes), 1000), encoding, 1000);
        const FindPattern pattern = kind == FindKind::Text ? encodeTextPattern(query, encoding).pattern
            : kind == FindKind::Hex                        ? parseHexPattern(query).pattern
                                                           : FindPattern{};
        for (const auto &text : {copy, mapped})
            for (FindPath path : runnableFindPaths()) {
                overrideFindPath(path);
                const TextFinder finder(*text, kind, pattern);
                QCOMPARE(forward(finder), matches);
                QCOMPARE(backward(finder), matches);
            }
    }

    // Starts given a stretch at a time find each match once.
    void aSearchCutIntoStretchesFindsWhatOneCallFinds()
    {
        const QByteArray bytes = repeated("\x82\xa0\x83\x41", 5000) + "\xfd" + repeated("\x83\x41", 3000);
        const auto text = fileTextOf(bytes);
        for (FindKind kind : {FindKind::InvalidByte, FindKind::Text}) {
            const TextFinder finder(*text, kind, patternOf(kind, "\x83\x41"));
            Matches cut;
            for (qint64 from = 0; from < finder.size(); from += 1001)
                for (auto match = finder.first(from, from + 1001); match; match = finder.first(match->at + 1, from + 1001))
                    cut << qMakePair(match->start.value(), match->end.value());
            QCOMPARE(cut, forward(finder));
        }
    }

    // The lost part reads as zeros: the search ends, and finds what the
    // file holds now.
    void aShortenedFileIsSearchedAsItIsNow()
    {
        const QString path = files.write(QStringLiteral("shortened.txt"), repeated("\x83\x41", qint64(1) << 19));
        const auto text = mappedTextOf(path);
        QVERIFY(text);
        QVERIFY(QFile::resize(path, 4096));
        const TextFinder finder(*text, FindKind::Text, patternOf(FindKind::Text, "\x83\x41"));
        QCOMPARE(finder.last(0, finder.size()), (FindMatch{BytePosition(4094), BytePosition(4096), 4094}));
        const TextFinder zeros(*text, FindKind::Hex, patternOf(FindKind::Hex, "00 00"));
        QCOMPARE(zeros.first(0, zeros.size()), (FindMatch{BytePosition(4096), BytePosition(4098), 4096}));
    }
};

QTEST_GUILESS_MAIN(TextFinderTest)
#include "TextFinderTest.moc"
