#include "IndexStates.h"
#include "ScanFeatures.h"
#include "ScanKernels.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray randomText(qsizetype n, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(n, 0);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), n / 4);
    return bytes;
}

// Runs of one lead-capable byte of every length from 1 to 300 at shifting
// places, each ended by a trail byte, a byte that is no trail, or a CR.
QByteArray leadRuns()
{
    QByteArray bytes;
    for (char lead : {'\x81', '\xE0', '\xFC'})
        for (int length = 1; length <= 300; ++length)
            for (char end : {'A', '\x80', ' ', '\r'})
                bytes += QByteArray(length * 7 % 71, 'a') + QByteArray(length, lead) + end;
    return bytes;
}

// Long lines of double-byte characters (kana, kanji), ASCII words and tabs.
QByteArray shiftJisLines(qsizetype n, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    while (bytes.size() < n) {
        const int characters = random.bounded(1000, 15000);
        for (int c = 0; c < characters; ++c) {
            const int kind = random.bounded(20);
            if (kind == 0)
                bytes += "\tword ";
            else if (kind < 8)
                bytes += QByteArray{"\x82", 1} + char(random.bounded(0x9F, 0xF2)); // hiragana
            else
                bytes += char(random.bounded(0x88, 0xA0)) + QByteArray(1, char(random.bounded(0x40, 0xFD) | 0x80 * (random.bounded(2))));
        }
        bytes += "\r\n";
    }
    return bytes;
}

// Source-like lines: indentation, words, LF or CR LF.
QByteArray asciiLines(qsizetype n, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    while (bytes.size() < n) {
        bytes += QByteArray(random.bounded(4), '\t');
        for (int length = random.bounded(90); length > 0; --length)
            bytes += char(random.bounded(0x20, 0x7F));
        bytes += random.bounded(2) ? "\r\n" : "\n";
    }
    return bytes;
}

// Short lines, each one byte longer, after three shorter ones: many a line
// wider than all before it ends in a chunk after others.
QByteArray widerLines()
{
    QByteArray bytes;
    for (int length = 1; length <= 24; ++length)
        bytes += "a\na\r\na\n" + QByteArray(length, 'W') + (length % 2 ? "\n" : "\r\n");
    return bytes;
}

// A lead byte, a tab, a CR LF and a lone CR on the edges of strides.
QByteArray strideEdges()
{
    QByteArray bytes(6 * 4096, 'x');
    bytes[4095] = '\x81', bytes[4096] = '\x41';
    bytes[2 * 4096 - 1] = '\xE0', bytes[2 * 4096] = '\r';
    bytes[3 * 4096] = '\t';
    bytes[4 * 4096 - 1] = '\r', bytes[4 * 4096] = '\n';
    bytes[5 * 4096 - 1] = '\r';
    bytes[6 * 4096 - 1] = '\x9F'; // and the text's last byte
    return bytes;
}

const QList<qint64> OddBlocks{1, 63, 64, 65, 4095, 4097, 2, 4096, 65537};

} // namespace

class TextScanTest : public QObject
{
    Q_OBJECT

private slots:
    void everyPathBuildsTheReferenceIndex_data()
    {
        QTest::addColumn<int>("path");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint64>>("blocks");
        QTest::addColumn<QString>("metrics");
        struct Case
        {
            const char *name;
            QByteArray bytes;
            QList<qint64> blocks;
        };
        const QList<Case> cases{
            {"random bytes in odd blocks", randomText(300000, 1), OddBlocks},
            {"random bytes in 1 MiB blocks", randomText(300000, 2), {1 << 20}},
            {"runs of lead bytes", leadRuns(), OddBlocks},
            {"breaks a byte at a time", asciiLines(20000, 3).replace('\t', '\r'), {1}},
            {"lead, tab and breaks on stride edges", strideEdges(), {4095, 1, 4096, 4097}},
            {"lead, tab and breaks on stride edges, whole", strideEdges(), {1 << 20}},
            {"a lead byte last", QByteArray(5000, 'a') + '\x81', {64}},
            {"Shift-JIS with long lines", shiftJisLines(400000, 4), OddBlocks},
            {"ASCII lines", asciiLines(300000, 5), OddBlocks},
            {"lines each wider than the last", widerLines(), {1 << 20}},
            {"an empty line last", QByteArray("a\r\n"), {2, 1}},
            {"Shift-JIS and random bytes in a block of several mebibytes", shiftJisLines(1500000, 6) + randomText(1500000, 7), {1 << 22}},
        };
        for (ScanPath path : runnableScanPaths()) {
            if (path == ScanPath::Reference)
                continue;
            for (const Case &c : cases)
                for (const char *metrics : {"uniform", "proportional", "kerned"})
                    QTest::addRow("%s, %s, %s", scanPathName(path), c.name, metrics) << int(path) << c.bytes << c.blocks << QString(metrics);
        }
    }

    void everyPathBuildsTheReferenceIndex()
    {
        QFETCH(int, path);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint64>, blocks);
        QFETCH(QString, metrics);
        QCOMPARE(indexedStates(ScanPath(path), bytes, blocks, scanTestMetrics(metrics)), indexedStates(ScanPath::Reference, bytes, blocks, scanTestMetrics(metrics)));
    }

    // A misspelt feature would silently keep its path from ever running.
    void startUpReadsEachFeatureList_data()
    {
        QTest::addColumn<QByteArray>("features");
        QTest::addColumn<bool>("present");
        QTest::addRow("no feature is needed") << QByteArray() << true;
        QTest::addRow("a name no processor has") << QByteArray("sse2,no-such-feature") << false;
#if defined(__x86_64__)
        QTest::addRow("every x86-64 processor has SSE2") << QByteArray(HEXMOTH_SSE2_FEATURES) << true;
#endif
    }

    void startUpReadsEachFeatureList()
    {
        QFETCH(QByteArray, features);
        QFETCH(bool, present);
        QCOMPARE(processorHas(features.constData()), present);
    }

    void everyKernelNeedsOnlyFeaturesStartUpKnows()
    {
        for (const ScanKernelRow &row : scanKernels())
            for (const QByteArray &feature : QByteArray(row.features).split(','))
                QVERIFY2(feature.isEmpty() || isKnownProcessorFeature(feature.constData()), feature.constData());
    }
};

QTEST_APPLESS_MAIN(TextScanTest)
#include "TextScanTest.moc"
