#include "Cp932.h"
#include "EngineFixture.h"
#include "RandomBytes.h"
#include "TestFiles.h"

#include <QFile>
#include <QTest>
#include <unistd.h>

// Runs over files whose size is not what it seems, or is more than a copy
// of their text may take: growing, shrinking, pseudo-files, endless ones.

namespace {

constexpr qint64 Threshold = 65536;

// The status of a pseudo-file: a regular file whose size tells nothing.
FileSystem::Status sizeUnknown(qint64 reported = 0)
{
    FileSystem::Status status;
    status.ok = status.isRegular = true;
    status.size = reported;
    status.sizeKnown = false;
    return status;
}

} // namespace

class RunFileSizesTest : public EngineFixture
{
    Q_OBJECT

private slots:
    void aFileAboveTheCopyBudgetIsShownFromTheFileItself_data()
    {
        QTest::addColumn<bool>("mappable");
        QTest::newRow("mapped, whole") << true;
        QTest::newRow("not mappable: the text keeps what fits") << false;
    }

    void aFileAboveTheCopyBudgetIsShownFromTheFileItself()
    {
        QFETCH(bool, mappable);
        const QByteArray bytes = randomBytes(300000, 12, 0.3);
        window.chosenPath = files.write("big.bin", bytes);
        fileSystem.mappable = mappable;
        DumpEngine engine(window, &fileSystem, 65536);
        engine.setCopyBudget(100000);
        engine.RunDump();
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了493E0/493E0"));
        QCOMPARE(window.fileText->isMapped(), mappable);
        const qint64 kept = mappable ? bytes.size() : 100000;
        QCOMPARE(window.fileText->size(), kept);
        QCOMPARE(window.fileText->droppedBytes(), bytes.size() - kept);
        QCOMPARE(window.fileText->toString(), Cp932::instance().decode(bytes.constData(), kept));
        QCOMPARE(fileSystem.openFiles, 0);
        if (!mappable)
            return;
        // Shortened afterwards: what is gone reads as zeros, and is told.
        QVERIFY(::truncate(qPrintable(*window.chosenPath), 1000) == 0);
        const QString now = window.fileText->toString();
        QVERIFY(now.startsWith(Cp932::instance().decode(bytes.constData(), 200).chopped(1)));
        QCOMPARE(now.right(10), QString(10, QChar(0)));
        QCOMPARE(window.fileText->changeSinceRead(), FileMapping::Change::Shortened);
    }

    // Either side of the copy threshold the text is the file's, exactly,
    // and stays so when the file is deleted after the run.
    void aFileIsShownExactlyEitherSideOfTheCopyThreshold_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("mapped");
        QTest::newRow("just under: a copy") << Threshold - 1 << false;
        QTest::newRow("at it: a copy") << Threshold << false;
        QTest::newRow("just over: the file itself") << Threshold + 1 << true;
    }

    void aFileIsShownExactlyEitherSideOfTheCopyThreshold()
    {
        QFETCH(qint64, size);
        QFETCH(bool, mapped);
        const QByteArray bytes = randomBytes(size, 21, 0.4);
        window.chosenPath = files.write("threshold.bin", bytes);
        DumpEngine engine(window, nullptr, 4093);
        engine.setCopyBudget(Threshold);
        engine.RunDump();
        QVERIFY(QFile::remove(*window.chosenPath));
        QCOMPARE(window.fileText->isMapped(), mapped);
        QCOMPARE(window.fileText->toString(), Cp932::instance().decode(bytes.constData(), bytes.size()));
        QCOMPARE(window.fileText->changeSinceRead(), FileMapping::Change::None);
    }

    void aGrowingFileIsDumpedUpToItsFirstSize()
    {
        window.chosenPath = files.write("grows.log", QByteArray(100, 'g'));
        fileSystem.statusOverride = FileSystem::Status{true, true, 30, {}};
        DumpEngine engine(window, &fileSystem);
        engine.RunDump();
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了1E/1E"));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray(30, 'g'));
        QVERIFY(window.messages.isEmpty());
    }

    void aFileCutShortMidwayIsReportedWithWhatWasDumpedAndItsLengthNow()
    {
        window.chosenPath = files.write("cut.bin", QByteArray(4096, 'c'));
        DumpEngine engine(window, &fileSystem, 1024);
        fileSystem.gatedFrom = 2048; // cut while the third read is in flight
        window.onPendingEvents = [&](int pass) {
            if (pass != 3)
                return;
            QVERIFY(fileSystem.gate->waitForWaiting(1));
            QVERIFY(QFile::resize(*window.chosenPath, 1500));
            fileSystem.gate->open();
        };
        engine.RunDump();
        QCOMPARE(window.messages.size(), 1);
        const QString message = window.messages.first();
        QVERIFY2(message.contains(QStringLiteral("2,048 バイトをダンプしました。")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("ファイルは今 1,500 バイトです。")), qPrintable(message));
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了800/1000"));
    }

    void aFileOfUnknownSizeIsReadToItsRealEnd_data()
    {
        QTest::addColumn<qint64>("reportedSize");
        QTest::addColumn<int>("emptyReads");
        QTest::addColumn<QStringList>("captions");
        // The read-ahead has found the end by the time the last bytes are dumped.
        const QStringList blocks{"実行中 1/?", "実行中 11/?", "実行中 21/?", "実行終了28/28"};
        QTest::newRow("a file that reports size 0 is dumped whole") << qint64(0) << 0 << blocks;
        QTest::newRow("a file whose nominal size is more than it holds does not shrink") << qint64(4096) << 0 << blocks;
        QTest::newRow("a file that has nothing for two reads is waited for")
            << qint64(0) << 2 << blocks;
    }

    void aFileOfUnknownSizeIsReadToItsRealEnd()
    {
        QFETCH(qint64, reportedSize);
        QFETCH(int, emptyReads);
        QFETCH(QStringList, captions);
        const QByteArray bytes = randomBytes(40, 5);
        window.chosenPath = files.write("pseudo", bytes);
        fileSystem.statusOverride = sizeUnknown(reportedSize);
        fileSystem.wouldBlockReads = emptyReads;
        engineWithBlocks(16)->RunDump();
        QCOMPARE(window.captions, captions);
        QCOMPARE(bytesFromDump(window.dumpText), bytes);
        QCOMPARE(QByteArray(window.fileText->data(), window.fileText->size()), bytes);
        QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.value(0)));
        QCOMPARE(fileSystem.waits, emptyReads);
    }

    // Stopped at the next block, its size still unknown; its text kept up to the copy budget.
    void aFileThatNeverEndsIsStoppedAndKeptUpToTheCopyBudget()
    {
        window.chosenPath = files.write("endless", {});
        fileSystem.statusOverride = sizeUnknown();
        fileSystem.endless = true;
        const qint64 budget = 4000;
        const qint64 block = budget / 4;
        auto engine = engineWithBlocks(block);
        engine->setCopyBudget(budget);
        window.onPendingEvents = [&](int pass) {
            if (pass == 6)
                engine->StopDump();
        };
        engine->RunDump();
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了1388/?")); // stopped before its end
        QCOMPARE(window.fileText->size(), budget);
        QCOMPARE(window.fileText->droppedBytes(), block);
        QVERIFY(window.fileText->roomIsBudget());
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray(5 * block, FakeFileSystem::EndlessByte));
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(fileSystem.openFiles, 0);
    }

    // Room for 2^62 bytes is more than any address space: the copy takes
    // what can be had instead of failing the run.
    void aCopyWhoseRoomCannotBeHadKeepsWhatCan()
    {
        const QByteArray bytes = randomBytes(5000, 9);
        window.chosenPath = files.write("pseudo", bytes);
        fileSystem.statusOverride = sizeUnknown();
        auto engine = engineWithBlocks(1024);
        engine->setCopyBudget(qint64(1) << 62);
        engine->RunDump();
        QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.value(0)));
        QCOMPARE(bytesFromDump(window.dumpText), bytes);
        QCOMPARE(QByteArray(window.fileText->data(), window.fileText->size()), bytes);
        QVERIFY(!window.fileText->roomIsBudget()); // memory, not the budget, set its room
    }

    void aProcFileIsDumpedWholeFromTheRealFileSystem()
    {
        QFile version(QStringLiteral("/proc/version"));
        if (!version.open(QIODevice::ReadOnly))
            QSKIP("no /proc/version here");
        const QByteArray bytes = version.readAll();
        window.chosenPath = version.fileName();
        DumpEngine engine(window);
        engine.RunDump();
        QCOMPARE(bytesFromDump(window.dumpText), bytes);
        QCOMPARE(window.captions.last(), DumpEngine::progressCaption(QStringLiteral("実行終了"), bytes.size(), bytes.size()));
        QVERIFY(window.messages.isEmpty());
    }
};

QTEST_APPLESS_MAIN(RunFileSizesTest)
#include "RunFileSizesTest.moc"
