#include "EngineFixture.h"
#include "FileName.h"

#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

// A file given from outside the dialog (command line, drop, reload) runs
// as if chosen there.
class DumpFileTest : public EngineFixture
{
    Q_OBJECT

private slots:
    void dumpsAGivenFileWithoutTheDialog()
    {
        const QString path = files.write(QStringLiteral("given.bin"), QByteArray("0123456789"));
        auto engine = engineWithBlocks(4);
        engine->DumpFile(path);
        QVERIFY(window.dialogFilters.isEmpty());
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了A/A"));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray("0123456789"));
        QCOMPARE(engine->lastPath(), path);
    }

    void dumpsTheLatestFileAgainAsItIsNow()
    {
        auto engine = engineWithBlocks(4);
        engine->DumpAgain();
        QVERIFY2(window.captions.isEmpty(), "nothing to read again before a first run");
        window.chosenPath = files.write(QStringLiteral("again.bin"), QByteArray("old"));
        engine->RunDump();
        files.write(QStringLiteral("again.bin"), QByteArray("newer"));
        engine->DumpAgain();
        QCOMPARE(window.dialogFilters.size(), 1);
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了5/5"));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray("newer"));
    }

    void aFileGivenDuringARunIsIgnored()
    {
        const QString other = files.write(QStringLiteral("other.bin"), QByteArray(3, 'o'));
        auto engine = engineWithBlocks(4);
        window.onPendingEvents = [&](int pass) {
            if (pass == 2)
                engine->DumpFile(other);
        };
        engine->DumpFile(files.write(QStringLiteral("long.bin"), QByteArray(16, 'l')));
        QCOMPARE(window.captions.last(), QStringLiteral("実行終了10/10"));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray(16, 'l'));
    }

    // A Shift-JIS name, which the file dialog cannot give: opened by its
    // bytes, and named with its undecodable bytes marked.
    void opensANameThatIsNoUtf8()
    {
        const QByteArray folder = QFile::encodeName(files.path(QString()));
        const QByteArray bytes = folder + "/\x93\xfa\x96\x7b.txt";
        const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "sjis", 4), 4);
        ::close(fd);
        auto engine = engineWithBlocks(4);
        engine->DumpFile(FileName::fromBytes(bytes));
        QCOMPARE(bytesFromDump(window.dumpText), QByteArray("sjis"));
        ::unlink(bytes.constData());
        engine->DumpAgain();
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages.constFirst().contains(QStringLiteral("/\\x93\\xFA\\x96{.txt」")), qPrintable(window.messages.constFirst()));
    }
};

QTEST_GUILESS_MAIN(DumpFileTest)
#include "DumpFileTest.moc"
