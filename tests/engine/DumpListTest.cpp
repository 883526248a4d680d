#include "DumpList.h"
#include "RandomBytes.h"
#include "TestFiles.h"

#include <QTest>
#include <limits>

namespace {

constexpr qsizetype Unlimited = std::numeric_limits<qsizetype>::max() / 2;
const QString Heading = QStringLiteral("Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
                                       "--------+------------------------------------------------");

// The whole dump list of `bytes`, one AppendDumpByte per byte.
QString dumpByteByByte(const QByteArray &bytes, qsizetype keep = Unlimited)
{
    DumpList list(keep);
    list.BeginDumpList();
    for (char b : bytes)
        list.AppendDumpByte(std::uint8_t(b));
    list.FinishDumpList();
    return list.first(Unlimited);
}

QString dataLine(const QString &address, const QString &cells, const QString &column)
{
    return address + u'|' + cells.leftJustified(48) + QStringLiteral(": ") + column;
}

} // namespace

class DumpListTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleMatchesExactly()
    {
        const QByteArray bytes = QByteArray::fromHex("48656C6C6F2C20776F726C64210D0A0001" "1F7F80");
        const QString expected = Heading + QStringLiteral(": \r\n")
            + dataLine("00000000", " 48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 21 0D 0A 00", "Hello, world!...") + "\r\n"
            + dataLine("00000010", " 01 1F 7F 80", ".  .") + "\r\n";
        QCOMPARE(dumpByteByByte(bytes), expected);
        QCOMPARE(expected.split("\r\n").at(2).size(), 75);
    }

    void edges_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expectedAfterHeading");
        QTest::newRow("an empty file closes the rule line at once") << QByteArray() << QStringLiteral(": \r\n");
        QTest::newRow("16 bytes make one full line with no padding")
            << QByteArray(16, 'a') << QStringLiteral(": \r\n") + dataLine("00000000", QString(" 61").repeated(16), QString(16, 'a')) + "\r\n";
        QTest::newRow("17 bytes open a second line of one cell and 45 spaces")
            << QByteArray(17, 'b')
            << QStringLiteral(": \r\n") + dataLine("00000000", QString(" 62").repeated(16), QString(16, 'b')) + "\r\n"
                   + "00000010| 62" + QString(45, ' ') + ": b\r\n";
    }

    void edges()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expectedAfterHeading);
        QCOMPARE(dumpByteByByte(bytes), Heading + expectedAfterHeading);
    }

    void columnCharacter_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QChar>("shown");
        QTest::newRow("00 is a dot") << 0x00 << QChar('.');
        QTest::newRow("0F is a dot") << 0x0F << QChar('.');
        QTest::newRow("10 is a space") << 0x10 << QChar(' ');
        QTest::newRow("1F is a space") << 0x1F << QChar(' ');
        QTest::newRow("20 is itself, a space") << 0x20 << QChar(' ');
        QTest::newRow("7E is itself") << 0x7E << QChar('~');
        QTest::newRow("7F is a space") << 0x7F << QChar(' ');
        QTest::newRow("80 is a dot") << 0x80 << QChar('.');
        QTest::newRow("FF is a dot") << 0xFF << QChar('.');
    }

    void columnCharacter()
    {
        QFETCH(int, value);
        QFETCH(QChar, shown);
        const QString lines = dumpByteByByte(QByteArray(1, char(value)));
        const QString line = lines.split("\r\n").at(2);
        QCOMPARE(line.mid(9, 3), QStringLiteral(" %1").arg(value, 2, 16, QChar('0')).toUpper());
        QCOMPARE(line.mid(57), QStringLiteral(": ") + shown);
    }

    void the4097thLineStartsAt10000()
    {
        const QStringList lines = dumpByteByByte(QByteArray(4097 * 16, 'x')).split("\r\n");
        QVERIFY(lines.at(2 + 4096).startsWith("00010000|"));
        QVERIFY(lines.at(2 + 4095).startsWith("0000FFF0|"));
    }

    void addressesGrowPast32Bits()
    {
        DumpList list(Unlimited);
        list.BeginDumpList();
        list.AppendDumpBytes(QByteArray(16, 'a').constData(), 16);
        list.LineAddress = 0xFFFFFFF0; // as if 4 GiB had gone before
        list.AppendDumpBytes(QByteArray(33, 'b').constData(), 33);
        list.FinishDumpList();
        const QStringList lines = list.first(Unlimited).split("\r\n");
        QVERIFY(lines.at(3).startsWith("FFFFFFF0| 62"));
        QVERIFY(lines.at(4).startsWith("100000000| 62"));
        QVERIFY(lines.at(5).startsWith("100000010| 62" + QString(45, ' ') + ": b"));
    }

    // The line-at-a-time path, with any split of the input into calls and any
    // kept length, gives exactly the text of the byte-at-a-time path.
    void bulkAppendMatchesByteByByte_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("keep");
        QTest::addColumn<qsizetype>("chunk");
        QTest::newRow("small file, everything kept") << qsizetype(1000) << Unlimited << qsizetype(7);
        QTest::newRow("ring smaller than one line") << qsizetype(5000) << qsizetype(50) << qsizetype(4096);
        QTest::newRow("ring of a few lines, odd chunks") << qsizetype(20000) << qsizetype(300) << qsizetype(333);
        QTest::newRow("the real limit, one big chunk") << qsizetype(300000) << DumpList::DumpLimit << qsizetype(1 << 20);
        QTest::newRow("the real limit, chunks not a multiple of 16") << qsizetype(300000) << DumpList::DumpLimit << qsizetype(65537);
        QTest::newRow("a skip leaves just enough lines to refill the ring") << qsizetype(16000) << qsizetype(1000) << qsizetype(16000);
        QTest::newRow("head not yet full when a chunk starts") << qsizetype(100000) << DumpList::DumpLimit << qsizetype(10000);
    }

    void bulkAppendMatchesByteByByte()
    {
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, keep);
        QFETCH(qsizetype, chunk);
        const QByteArray bytes = randomBytes(size, quint32(size + keep + chunk));
        const QString whole = dumpByteByByte(bytes);

        DumpList list(keep);
        list.BeginDumpList();
        for (qsizetype at = 0; at < bytes.size(); at += chunk)
            list.AppendDumpBytes(bytes.constData() + at, std::min(chunk, bytes.size() - at));
        list.FinishDumpList();

        QCOMPARE(list.length(), whole.size());
        const qsizetype kept = std::min(keep, whole.size());
        QCOMPARE(list.first(keep), whole.left(kept));
        QCOMPARE(list.last(keep), whole.right(kept));
        QCOMPARE(bytesFromDump(whole), bytes);
    }

    void skippedLinesAcrossAnAddressWidthChangeKeepExactLength()
    {
        const QByteArray bytes = randomBytes(200000, 7);
        auto build = [&](bool bulk) {
            DumpList list(400);
            list.BeginDumpList();
            list.AppendDumpBytes(bytes.constData(), 16);
            list.LineAddress = 0xFFFFF000;
            if (bulk)
                list.AppendDumpBytes(bytes.constData() + 16, bytes.size() - 16);
            else
                for (qsizetype i = 16; i < bytes.size(); ++i)
                    list.AppendDumpByte(std::uint8_t(bytes[i]));
            list.FinishDumpList();
            return std::pair(list.length(), list.last(400));
        };
        QCOMPARE(build(true), build(false));
    }

    void readingMidwayShowsTheListSoFar()
    {
        DumpList list(100);
        list.BeginDumpList();
        list.AppendDumpBytes("ABCDEFGHIJKLMNOPQ", 17);
        QCOMPARE(list.last(100).right(12), QStringLiteral("00000010| 51"));
        QCOMPARE(list.first(100), (Heading + QStringLiteral(": \r\n00000000| 41")).left(100));
    }
};

QTEST_APPLESS_MAIN(DumpListTest)
#include "DumpListTest.moc"
