#include "EngineFixture.h"
#include "RandomBytes.h"
#include "ThrottledShare.h"

#include <QTest>

namespace {

// The dump list of `bytes` as the run shows it, cut at its front.
// Unfinished, as the run holds it midway.
QString dumpSoFar(const QByteArray &bytes)
{
    DumpList list;
    list.BeginDumpList();
    list.AppendDumpBytes(bytes.constData(), bytes.size());
    return list.first(list.length());
}

QString shownDumpOf(const QByteArray &bytes)
{
    DumpList list;
    list.BeginDumpList();
    list.AppendDumpBytes(bytes.constData(), bytes.size());
    list.FinishDumpList();
    return list.length() <= DumpList::DumpLimit ? list.first(DumpList::DumpLimit) : list.last(DumpList::DumpLimit);
}

} // namespace

// Reads that stall or crawl, as on a share whose server is gone or slow:
// the run goes on handling the window's events, stops at once when asked,
// and dumps exactly what the file holds.
class SlowStorageTest : public EngineFixture
{
    Q_OBJECT

private slots:
    // The dump of block 1 happens while the read of block 2 is in flight.
    void theNextReadIsInFlightWhileABlockIsDumped()
    {
        const QByteArray bytes = randomBytes(48, 3);
        window.chosenPath = files.write("three.bin", bytes);
        fileSystem.gatedFrom = 16;
        auto engine = engineWithBlocks(16);
        QString dumpedWhileReading;
        window.onPendingEvents = [&](int pass) {
            if (pass != 2)
                return;
            QVERIFY(fileSystem.gate->waitForWaiting(1));
            dumpedWhileReading = engine->dumpList().first(engine->dumpList().length());
            fileSystem.gate->open();
        };
        engine->RunDump();
        QCOMPARE(dumpedWhileReading, dumpSoFar(bytes.left(16)));
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了30/30"));
    }

    void aStallIsStoppedAtOnceWithWhatWasRead_data()
    {
        QTest::addColumn<qint64>("stallsAt");
        QTest::addColumn<bool>("closeWindow");
        QTest::newRow("stalled at the first read, stopped") << qint64(0) << false;
        QTest::newRow("stalled after two blocks, stopped") << qint64(32) << false;
        QTest::newRow("stalled after two blocks, the window closed") << qint64(32) << true;
    }

    // Stop and close both end the run; closing also runs a second file
    // here, to show the stalled read reaches nothing of the next run.
    void aStallIsStoppedAtOnceWithWhatWasRead()
    {
        QFETCH(qint64, stallsAt);
        QFETCH(bool, closeWindow);
        const QByteArray bytes = randomBytes(64, 4);
        window.chosenPath = files.write("stalls.bin", bytes);
        fileSystem.gatedFrom = stallsAt;
        auto engine = engineWithBlocks(16);
        // Clicked once everything before the stall is shown and a block has come empty.
        const QString stalledCaption = DumpEngine::progressCaption(QStringLiteral("実行中 "), stallsAt + 1, 64);
        window.onPendingEvents = [&](int) {
            if (fileSystem.gate->waiting() == 1 && window.captions.value(window.captions.size() - 1) == stalledCaption)
                engine->StopDump();
        };
        engine->RunDump();
        QCOMPARE(bytesFromDump(window.dumpText), bytes.left(stallsAt));
        QCOMPARE(window.fileText->size(), stallsAt);
        QCOMPARE(window.captions.last(), DumpEngine::progressCaption(QStringLiteral("実行終了"), stallsAt, 64));
        QCOMPARE(fileSystem.openFiles, 1); // let go of, still in its read
        if (closeWindow) {
            const QByteArray next = randomBytes(40, 5);
            window.chosenPath = files.write("next.bin", next);
            window.onPendingEvents = nullptr;
            fileSystem.gatedFrom = -1;
            engine->RunDump();
            QCOMPARE(bytesFromDump(window.dumpText), next);
            QCOMPARE(window.captions.last(), QStringLiteral("実行終了28/28"));
        }
        const QString shown = window.dumpText;
        fileSystem.gate->open();
        QVERIFY(fileSystem.gate->waitForClosed(closeWindow ? 2 : 1)); // closed once its read returned
        QCOMPARE(fileSystem.openFiles, 0);
        QCOMPARE(window.dumpText, shown);
    }

    // Told after a second without data, until data comes again.
    void aLongStallIsToldInTheCaption()
    {
        window.chosenPath = files.write("waits.bin", randomBytes(64, 6));
        fileSystem.gatedFrom = 16;
        auto engine = engineWithBlocks(16);
        window.onPendingEvents = [&](int) {
            if (window.captions.value(window.captions.size() - 1) == DumpEngine::WaitingCaption)
                fileSystem.gate->open();
        };
        engine->RunDump();
        QCOMPARE(window.captions, (QStringList{"実行中 1/40", "実行中 11/40", "読み込みを待っています…", "実行中 21/40", "実行中 31/40", "実行終了40/40"}));
    }

    void aSlowShareIsDumpedExactly_data()
    {
        QTest::addColumn<int>("readDelayMs");
        QTest::addColumn<qint64>("blockLength");
        QTest::newRow("reads of 20 ms, paced blocks") << 20 << qint64(0);
        QTest::newRow("reads of 3 ms, fixed blocks of 100 KiB") << 3 << qint64(100 << 10);
    }

    // Blocks end empty at their deadlines while the reads crawl.
    void aSlowShareIsDumpedExactly()
    {
        QFETCH(int, readDelayMs);
        QFETCH(qint64, blockLength);
        const QByteArray bytes = randomBytes(3 * DumpEngine::PieceLength + 4321, 7, 0.3);
        window.chosenPath = files.write("slow.bin", bytes);
        fileSystem.readDelayMs = readDelayMs;
        engineWithBlocks(blockLength)->RunDump();
        QCOMPARE(window.dumpText, shownDumpOf(bytes));
        QCOMPARE(QByteArray(window.fileText->data(), window.fileText->size()), bytes);
        QCOMPARE(window.captions.last(), DumpEngine::progressCaption(QStringLiteral("実行終了"), bytes.size(), bytes.size()));
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(fileSystem.openFiles, 0);
    }

    // The real thing: a FUSE share that stalls for 1.5 s, then serves
    // 20 MB/s. Its file is copied, never mapped, however large.
    void aShareThatStallsIsToldCopiedAndDumpedExactly()
    {
        if (const QString missing = ThrottledShare::unavailableReason(); !missing.isEmpty())
            QSKIP(qPrintable(u"no FUSE share here: "_qs + missing));
        const QByteArray bytes = randomBytes(3 * DumpEngine::PieceLength + 99, 8, 0.3);
        files.write("shared.bin", bytes);
        ThrottledShare share(files.path("."), {20e6, qint64(1) << 20, 2});
        window.chosenPath = share.path("shared.bin");
        DumpEngine engine(window);
        engine.setCopyBudget(DumpEngine::PieceLength); // a local file this large is mapped
        engine.RunDump();
        QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.value(0)));
        QVERIFY(window.captions.contains(DumpEngine::WaitingCaption));
        QCOMPARE(window.dumpText, shownDumpOf(bytes));
        QVERIFY(!window.fileText->isMapped());
        QCOMPARE(window.fileText->size(), DumpEngine::PieceLength);
    }
};

QTEST_APPLESS_MAIN(SlowStorageTest)
#include "SlowStorageTest.moc"
