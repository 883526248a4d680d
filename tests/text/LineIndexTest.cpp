#include "FileText.h"
#include "TestTexts.h"
#include "TextMetrics.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstring>

namespace {

using Spans = std::vector<LineIndex::Span>;

// Lines as a reader would split them, one byte at a time.
Spans splitSimply(const QByteArray &bytes)
{
    Spans spans;
    qint64 start = 0;
    for (qint64 i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        spans.push_back({BytePosition(start), BytePosition(i)});
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    spans.push_back({BytePosition(start), BytePosition(bytes.size())});
    return spans;
}

QByteArrayList contents(const QByteArray &bytes, const Spans &spans)
{
    QByteArrayList lines;
    for (const auto &span : spans)
        lines.append(bytes.mid(span.start.value(), span.end - span.start));
    return lines;
}

// Every query of the navigator agrees with the simple split.
void verifyAgainstSplit(const QByteArray &bytes, const FileText &text, int sampledLines = -1)
{
    const TextNavigator lines(text);
    const Spans expected = splitSimply(bytes);
    QCOMPARE(lines.lineCount(), LineNumber(qint64(expected.size())));
    const Spans all = lines.lines(0_line, lines.lineCount().value());
    QCOMPARE(contents(bytes, all), contents(bytes, expected));
    qint64 longest = 0;
    for (const auto &span : expected)
        longest = std::max(longest, span.end - span.start);
    QCOMPARE(lines.longestLineLength(), longest);

    QRandomGenerator random(7);
    const qint64 checks = sampledLines < 0 ? qint64(expected.size()) : sampledLines;
    for (qint64 i = 0; i < checks; ++i) {
        const qint64 i0 = sampledLines < 0 ? i : random.bounded(qint64(expected.size()));
        const LineNumber line(i0);
        const auto at = std::size_t(i0);
        QCOMPARE(lines.lineStart(line), expected[at].start);
        QCOMPARE(lines.lineEnd(line), expected[at].end);
        const BytePosition breakEnd = at + 1 < expected.size() ? expected[at + 1].start : BytePosition(bytes.size() + 1);
        for (BytePosition position : {expected[at].start, expected[at].end, breakEnd - 1})
            QCOMPARE(lines.lineOf(position), line);
    }
}

QByteArray randomLines(qsizetype n, quint32 seed, double breakChance)
{
    static const char breaks[] = {'\r', '\n', '\n', '\r'};
    QRandomGenerator random(seed);
    QByteArray bytes(n, 'x');
    for (char &b : bytes)
        if (random.generateDouble() < breakChance)
            b = breaks[random.bounded(4)];
    return bytes;
}

} // namespace

class LineIndexTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint64>>("blocks");
        QTest::addColumn<QByteArrayList>("lines");
        const QList<qint64> whole;
        QTest::newRow("LF ends a line") << QByteArray("ab\ncd") << whole << QByteArrayList{"ab", "cd"};
        QTest::newRow("CR LF ends a line") << QByteArray("ab\r\ncd") << whole << QByteArrayList{"ab", "cd"};
        QTest::newRow("CR ends a line") << QByteArray("ab\rcd") << whole << QByteArrayList{"ab", "cd"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << whole << QByteArrayList{"a", "", "b"};
        QTest::newRow("CR CR LF is two breaks") << QByteArray("a\r\r\nb") << whole << QByteArrayList{"a", "", "b"};
        QTest::newRow("no break is one line") << QByteArray("abc") << whole << QByteArrayList{"abc"};
        QTest::newRow("an empty text is one empty line") << QByteArray() << whole << QByteArrayList{""};
        QTest::newRow("a final LF adds an empty line") << QByteArray("a\n") << whole << QByteArrayList{"a", ""};
        QTest::newRow("a final CR adds an empty line") << QByteArray("a\r") << whole << QByteArrayList{"a", ""};
        QTest::newRow("a final CR LF adds one empty line") << QByteArray("a\r\n") << whole << QByteArrayList{"a", ""};
        QTest::newRow("breaks alone are empty lines") << QByteArray("\n\r\n\r") << whole << QByteArrayList{"", "", "", ""};
        QTest::newRow("CR ending a block and LF starting the next are one break")
            << QByteArray("ab\r\ncd") << QList<qint64>{3} << QByteArrayList{"ab", "cd"};
        QTest::newRow("CR ending a block before other bytes is a break")
            << QByteArray("ab\rcd") << QList<qint64>{3} << QByteArrayList{"ab", "cd"};
        QTest::newRow("CR ending a block before a CR is a break each")
            << QByteArray("ab\r\rcd") << QList<qint64>{3} << QByteArrayList{"ab", "", "cd"};
        QTest::newRow("CR ending the last block is a break") << QByteArray("ab\r") << QList<qint64>{3} << QByteArrayList{"ab", ""};
        QTest::newRow("LF starting a block is a break") << QByteArray("ab\ncd") << QList<qint64>{2} << QByteArrayList{"ab", "cd"};
        QTest::newRow("empty blocks change nothing")
            << QByteArray("a\r\nb") << QList<qint64>{0, 2, 0, 0, 1} << QByteArrayList{"a", "b"};
        QTest::newRow("one byte per block") << QByteArray("a\r\r\n\nb\r") << QList<qint64>{1, 1, 1, 1, 1, 1}
                                            << QByteArrayList{"a", "", "", "b", ""};
    }

    void splitsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint64>, blocks);
        QFETCH(QByteArrayList, lines);
        const auto text = textInBlocks(bytes, blocks);
        const TextNavigator navigator(*text);
        QCOMPARE(contents(bytes, navigator.lines(0_line, navigator.lineCount().value())), lines);
        verifyAgainstSplit(bytes, *text);
    }

    void aCrAtTheEndOfWhatIsCommittedSoFarCountsAsABreak()
    {
        FileText text(4, TextMetrics::uniform(64, XUnits(512)));
        std::memcpy(text.blockBuffer(4), "ab\r\n", 4);
        text.commit(3);
        const TextNavigator lines(text);
        QCOMPARE(lines.lineCount(), 2_line);
        QCOMPARE(lines.lineEnd(0_line), 2_byte);
        QCOMPARE(lines.lineStart(1_line), 3_byte);
        std::memcpy(text.blockBuffer(1), "\n", 1);
        text.commit(1);
        QCOMPARE(lines.lineCount(), 2_line);
        QCOMPARE(lines.lineStart(1_line), 4_byte);
    }

    void randomTextAgreesWithASimpleSplit_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<double>("breakChance");
        QTest::addColumn<int>("blockLength");
        QTest::newRow("short lines across many checkpoints") << qsizetype(300000) << 0.2 << 4096;
        QTest::newRow("breaks only, in odd blocks") << qsizetype(50000) << 1.0 << 7;
        QTest::newRow("lines longer than the checkpoint distance") << qsizetype(2000000) << 0.00002 << 65536;
        QTest::newRow("lines of every length") << qsizetype(1000000) << 0.001 << 20;
    }

    void randomTextAgreesWithASimpleSplit()
    {
        QFETCH(qsizetype, size);
        QFETCH(double, breakChance);
        QFETCH(int, blockLength);
        for (quint32 seed = 1; seed <= 3; ++seed) {
            const QByteArray bytes = randomLines(size, seed, breakChance);
            QList<qint64> blocks;
            QRandomGenerator random(seed);
            for (qsizetype done = 0; done < size; done += blocks.back())
                blocks.append(qint64(random.bounded(blockLength) + 1));
            blocks.removeLast();
            const auto text = textInBlocks(bytes, blocks);
            verifyAgainstSplit(bytes, *text, 3000);
        }
    }

    void theIndexStaysSparse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mostCheckpoints");
        QTest::newRow("a million empty lines: one checkpoint per 1024 lines")
            << QByteArray(1000000, '\n') << int(1000000 / LineIndex::LinesPerCheckpoint + 1);
        QTest::newRow("ten megabytes without a break: one checkpoint") << QByteArray(10000000, 'x') << 1;
        QByteArray longLines;
        for (int i = 0; i < 100; ++i)
            longLines += QByteArray(200000, 'x') + "\r\n";
        QTest::newRow("100 lines of 200 kB: one checkpoint per line") << longLines << 101;
    }

    void theIndexStaysSparse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, mostCheckpoints);
        const auto text = fileTextOf(bytes);
        QVERIFY2(text->index().lines().checkpointCount() <= mostCheckpoints,
                 qPrintable(QString::number(text->index().lines().checkpointCount())));
    }
};

QTEST_APPLESS_MAIN(LineIndexTest)
#include "LineIndexTest.moc"
