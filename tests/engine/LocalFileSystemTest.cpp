#include "LocalFileSystem.h"
#include "SystemReason.h"
#include "TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace {

struct MemoryOf : LocalFileSystem
{
    explicit MemoryOf(qint64 bytes) : bytes(bytes) {}
    qint64 availableMemory() override { return bytes; }
    qint64 bytes;
};

// Pages of the file at `path` in the page cache.
qsizetype residentPages(const QString &path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    void *map = ::mmap(nullptr, std::size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    std::vector<unsigned char> pages(std::size_t((size + 4095) / 4096));
    const bool known = map != MAP_FAILED && ::mincore(map, std::size_t(size), pages.data()) == 0;
    ::munmap(map, std::size_t(size));
    ::close(fd);
    return known ? std::count_if(pages.begin(), pages.end(), [](unsigned char p) { return p & 1; }) : -1;
}

} // namespace

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

    void aFileBeyondTheMemoryAtHandLeavesThePageCacheAsItIsRead_data()
    {
        QTest::addColumn<qint64>("memory");
        QTest::addColumn<bool>("kept");
        QTest::newRow("a file of twice the memory at hand is let go of") << qint64(2) << false;
        QTest::newRow("a file that fits stays for the next look") << qint64(1024) << true;
    }

    void aFileBeyondTheMemoryAtHandLeavesThePageCacheAsItIsRead()
    {
        QFETCH(qint64, memory);
        QFETCH(bool, kept);
        constexpr qint64 Size = qint64(4) << 20;
        const QString path = files.write("large.bin", QByteArray(Size, 'x'));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly) && ::fsync(written.handle()) == 0); // clean pages can be let go of
        MemoryOf fileSystem(memory << 20);
        QString reason;
        const auto file = fileSystem.open(path, reason);
        QVERIFY(file);
        std::vector<char> buffer(1 << 20);
        while (file->read(buffer.data(), qint64(buffer.size())) > 0) {
        }
        const qsizetype resident = residentPages(path, Size);
        // Let go of but the last read, 256 pages.
        QVERIFY2(kept ? resident == Size / 4096 : resident <= 256 + 16, qPrintable(QString::number(resident)));
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
