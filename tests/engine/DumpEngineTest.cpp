#include "Cp932.h"
#include "EngineFixture.h"
#include "RandomBytes.h"
#include "TestFiles.h"

#include <QTest>
#include <limits>

namespace {

const QString Heading = QStringLiteral("Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
                                       "--------+------------------------------------------------");

// The whole dump list of `bytes`, built without the run.
QString wholeDumpOf(const QByteArray &bytes)
{
    DumpList list(std::numeric_limits<qsizetype>::max() / 2);
    list.BeginDumpList();
    list.AppendDumpBytes(bytes.constData(), bytes.size());
    list.FinishDumpList();
    return list.first(list.length());
}

QString shownCut(const QString &whole, bool cutFront)
{
    if (whole.size() <= DumpList::DumpLimit)
        return whole;
    return cutFront ? whole.right(DumpList::DumpLimit) : whole.left(DumpList::DumpLimit);
}

} // namespace

class DumpEngineTest : public EngineFixture
{
    Q_OBJECT

private slots:
    void cancellingTheDialogChangesNothing()
    {
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        QCOMPARE(window.dialogFilters, QStringList{QStringLiteral("テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*")});
        QVERIFY(window.captions.isEmpty());
        QVERIFY(window.stopEnabledChanges.isEmpty());
        QCOMPARE(window.dumpTextChanges, 0);
        QCOMPARE(window.fileTextChanges, 0);
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(fileSystem.opened, 0);
    }

    void wholeRun_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lastCaption");
        QTest::newRow("an empty file: one read finds its end") << QByteArray() << QStringLiteral("実行終了0/0");
        QTest::newRow("the worked 20-byte example")
            << QByteArray::fromHex("48656C6C6F2C20776F726C64210D0A00011F7F80") << QStringLiteral("実行終了14/14");
        QTest::newRow("256 single-byte characters") << QByteArray(256, 'z') << QStringLiteral("実行終了100/100");
        QTest::newRow("a lead byte ends the file") << QByteArray("ab\x83") << QStringLiteral("実行終了3/3");
        QTest::newRow("random bytes over many blocks") << randomBytes(10000, 3, 0.3) << QStringLiteral("実行終了2710/2710");
    }

    void wholeRun()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, lastCaption);
        window.chosenPath = files.write("data.bin", bytes);
        auto engine = engineWithBlocks(256);
        engine->RunDump();
        QCOMPARE(window.captions.last(), lastCaption);
        QCOMPARE(window.dumpText, wholeDumpOf(bytes));
        QCOMPARE(bytesFromDump(window.dumpText), bytes);
        QCOMPARE(QByteArray(window.fileText->data(), window.fileText->size()), bytes);
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(fileSystem.openFiles, 0);
        QVERIFY2(window.stopEnabled, "the stop button stays enabled after a run");
    }

    // Read, dumped and kept a piece at a time, in one block.
    void aBlockOfSeveralPiecesIsDumpedWhole()
    {
        const QByteArray bytes = randomBytes(2 * DumpEngine::PieceLength + 1000, 7, 0.3);
        window.chosenPath = files.write("pieces.bin", bytes);
        auto engine = engineWithBlocks(4 * DumpEngine::PieceLength);
        engine->RunDump();
        QCOMPARE(window.captions.size(), 2);
        QCOMPARE(window.dumpText, shownCut(wholeDumpOf(bytes), window.cutFront));
        QCOMPARE(QByteArray(window.fileText->data(), window.fileText->size()), bytes);
        QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.value(0)));
    }

    void emptyFileShowsHeadingAndClosedRuleLine()
    {
        window.chosenPath = files.write("empty.txt", {});
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        QCOMPARE(window.dumpText, Heading + QStringLiteral(": \r\n"));
        QCOMPARE(window.fileText->toString(), QString());
        // A size of 0 may be a pseudo-file's: one read tells.
        QCOMPARE(window.captions, (QStringList{"実行中 1/?", "実行終了0/0"}));
        QCOMPARE(window.eventPasses, 1);
    }

    void katakanaAIsTwoCellsAndTwoPositions()
    {
        window.chosenPath = files.write("a.txt", QByteArray("\x83\x41"));
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        const QString line = window.dumpText.split("\r\n").at(2);
        QVERIFY(line.startsWith("00000000| 83 41 "));
        QVERIFY(line.endsWith(": .A"));
        QCOMPARE(window.captions, (QStringList{"実行中 1/2", "実行終了2/2"}));
        QCOMPARE(window.fileText->toString(), QStringLiteral("ア"));
    }

    void captionsCountBlocksInHex()
    {
        window.chosenPath = files.write("blocks.bin", QByteArray(40, 'x'));
        auto engine = engineWithBlocks(16);
        engine->RunDump();
        QCOMPARE(window.captions, (QStringList{"実行中 1/28", "実行中 11/28", "実行中 21/28", "実行終了28/28"}));
        QCOMPARE(window.eventPasses, 3);
    }

    void leadByteAtABlockEndPairsWithTheNextBlock()
    {
        const QByteArray bytes = QByteArray("abc\x83") + QByteArray("\x41" "def");
        window.chosenPath = files.write("split.txt", bytes);
        auto engine = engineWithBlocks(4);
        engine->RunDump();
        QCOMPARE(window.fileText->toString(), QStringLiteral("abcアdef"));
        QCOMPARE(bytesFromDump(window.dumpText), bytes);
    }

    void stopEndsTheRunAfterTheBlockInHand()
    {
        window.chosenPath = files.write("long.bin", QByteArray(64, 'q'));
        auto engine = engineWithBlocks(16);
        window.onPendingEvents = [&](int pass) {
            if (pass == 2)
                engine->StopDump();
        };
        engine->RunDump();
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了10/40"));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray(16, 'q'));
        QVERIFY(window.dumpText.endsWith("\r\n"));
        QCOMPARE(window.fileText->size(), 16);
        QCOMPARE(window.stopEnabledChanges, (QList<bool>{true, false}));
        QCOMPARE(fileSystem.openFiles, 0);
    }

    void stopAfterARunOnlyDisablesTheButton()
    {
        window.chosenPath = files.write("small.txt", "abc");
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        const QStringList captions = window.captions;
        const int dumpChanges = window.dumpTextChanges;
        engine.StopDump();
        QVERIFY(!window.stopEnabled);
        QCOMPARE(window.captions, captions);
        QCOMPARE(window.dumpTextChanges, dumpChanges);
    }

    void optionClickDuringARunShowsTheListSoFar()
    {
        auto engine = engineWithBlocks(17);
        QString shownMidway;
        window.onPendingEvents = [&](int pass) {
            engine->ShowDumpList();
            if (pass == 2)
                shownMidway = window.dumpText;
        };
        window.chosenPath = files.write("two.bin", QByteArray(40, 'k'));
        engine->RunDump();
        QCOMPARE(shownMidway, Heading + QStringLiteral(": \r\n00000000|") + QStringLiteral(" 6B").repeated(16)
                                  + QStringLiteral(": ") + QString(16, 'k') + QStringLiteral("\r\n00000010| 6B"));
    }

    void secondRunDuringARunIsIgnored()
    {
        window.chosenPath = files.write("busy.bin", QByteArray(64, 'r'));
        auto engine = engineWithBlocks(16);
        window.onPendingEvents = [&](int) { engine->RunDump(); };
        engine->RunDump();
        QCOMPARE(window.dialogFilters.size(), 1);
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了40/40"));
        QVERIFY(!engine->isRunning());
    }

    void secondRunReplacesTheFirst()
    {
        DumpEngine engine(window, &fileSystem);
        window.chosenPath = files.write("first.bin", QByteArray(300, 'a'));
        engine.RunDump();
        window.chosenPath = files.write("second.bin", QByteArray(5, 'b'));
        engine.RunDump();
        QCOMPARE(window.dumpText, wholeDumpOf(QByteArray(5, 'b')));
        QCOMPARE(window.fileText->size(), 5);
    }

    void optionsCutLongListsAndRecutWithoutReading_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("just under the limit: shown whole") << qsizetype(13580);
        QTest::newRow("just over the limit: cut") << qsizetype(13600);
        QTest::newRow("far over the limit, several blocks") << qsizetype(3 << 20);
    }

    void optionsCutLongListsAndRecutWithoutReading()
    {
        QFETCH(qsizetype, size);
        const QByteArray bytes = randomBytes(size, quint32(size));
        const QString whole = wholeDumpOf(bytes);
        window.chosenPath = files.write("long.bin", bytes);
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        QCOMPARE(window.dumpText, shownCut(whole, true));
        window.cutFront = false;
        engine.ShowDumpList();
        QCOMPARE(window.dumpText, shownCut(whole, false));
        window.cutFront = true;
        engine.ShowDumpList();
        QCOMPARE(window.dumpText, shownCut(whole, true));
        QCOMPARE(fileSystem.opened, 1);
        if (whole.size() > DumpList::DumpLimit) {
            QVERIFY(!window.dumpText.startsWith("Address"));
            QVERIFY(window.dumpText.endsWith("\r\n"));
        }
    }

    void optionBeforeAnyRunShowsAnEmptyList()
    {
        DumpEngine engine(window, &fileSystem);
        engine.ShowDumpList();
        QCOMPARE(window.dumpTextChanges, 1);
        QCOMPARE(window.dumpText, QString());
    }

    // Many random files, dense in lead bytes, through several block lengths:
    // the cells read back equal the file, and the text decodes every byte.
    void randomRoundTrip()
    {
        for (quint32 seed = 1; seed <= 24; ++seed) {
            const qsizetype size = qsizetype(seed * 397 % 5000);
            const QByteArray bytes = randomBytes(size, seed, seed % 2 ? 0.5 : 0.05);
            window = FakeDumpWindow();
            window.chosenPath = files.write(QStringLiteral("r%1.bin").arg(seed), bytes);
            auto engine = engineWithBlocks(qint64(1 + seed * 37 % 700));
            engine->RunDump();
            QCOMPARE(bytesFromDump(window.dumpText), bytes);
            QCOMPARE(window.captions.last(), DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size));
            QCOMPARE(window.fileText->toString(), Cp932::instance().decode(bytes.constData(), bytes.size()));
        }
    }
};

QTEST_APPLESS_MAIN(DumpEngineTest)
#include "DumpEngineTest.moc"
