#include "LocalFileSystem.h"
#include "SystemReason.h"
#include "TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <sys/sysinfo.h>

// The machine's own file system; cases that hold when run as root too.
class LocalFileSystemTest : public QObject
{
    Q_OBJECT

    TestFiles files;
    LocalFileSystem fileSystem;

private slots:
    void reasonsAreInJapanese_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::newRow("a path that does not exist") << "missing.bin" << ENOENT;
        QTest::newRow("a path that goes through a file as if it were a folder") << "plain.txt/inner.bin" << ENOTDIR;
    }

    void reasonsAreInJapanese()
    {
        QFETCH(QString, name);
        QFETCH(int, error);
        files.write("plain.txt", "x");
        const FileSystem::Status status = fileSystem.status(files.path(name));
        QVERIFY(!status.ok);
        QCOMPARE(status.errorText, SystemReason::text(error));
        QString reason;
        QVERIFY(!fileSystem.open(files.path(name), reason));
        QCOMPARE(reason, SystemReason::text(error));
        QVERIFY2(!reason.contains(QRegularExpression("[A-Za-z]")), qPrintable(reason));
    }

    void sizesOfPseudoFilesAndEmptyFilesAreUnknown_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("sizeKnown");
        QTest::newRow("a file on disk with content has a known size") << files.write("full.bin", "abc") << true;
        QTest::newRow("an empty file may be a pseudo-file") << files.write("empty.bin", {}) << false;
        QTest::newRow("a /proc file reports 0 whatever it holds") << "/proc/version" << false;
        QTest::newRow("a /sys file reports a page whatever it holds") << "/sys/kernel/uevent_seqnum" << false;
    }

    void sizesOfPseudoFilesAndEmptyFilesAreUnknown()
    {
        QFETCH(QString, path);
        QFETCH(bool, sizeKnown);
        if (!QFile::exists(path))
            QSKIP("not on this machine");
        const FileSystem::Status status = fileSystem.status(path);
        QVERIFY(status.ok && status.isRegular);
        QCOMPARE(status.sizeKnown, sizeKnown);
    }

    void availableMemoryIsReadFromTheSystem()
    {
        struct sysinfo info {};
        QCOMPARE(::sysinfo(&info), 0);
        const qint64 available = fileSystem.availableMemory();
        QVERIFY2(available > 0, qPrintable(QString::number(available)));
        QVERIFY(available <= qint64(info.totalram) * info.mem_unit);
    }
};

QTEST_APPLESS_MAIN(LocalFileSystemTest)
#include "LocalFileSystemTest.moc"
