#include "FileText.h"
#include "LineLayout.h"
#include "TestFiles.h"
#include "TestTexts.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A text shown from its file, and the file changed behind its back:
// rewritten, shortened, grown. Whatever the bytes are now, every query stays
// within what the indexes promise, and the program lives.

namespace {

constexpr qint64 Page = 4096;
constexpr qint64 Size = qint64(8) << 20;
const QByteArray Head("one\r\ntwo\r\nthree\r\n");
const QByteArray Tail("\r\nlast\r\nend");

// Lines at both ends of a long line of zeros, most of it a hole.
QString writeSparseLines(TestFiles &files)
{
    const QString path = files.path(QStringLiteral("sparse.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(Size))
        return {};
    file.write(Head);
    file.seek(Size - Tail.size());
    file.write(Tail);
    return path;
}

void writeAt(const QString &path, qint64 at, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::pwrite(fd, bytes.constData(), std::size_t(bytes.size()), at), ssize_t(bytes.size()));
    // a rewrite within the file system's clock tick would keep the time
    timespec later[2]{{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
    QCOMPARE(::futimens(fd, later), 0);
    ::close(fd);
}

// The file mapped whole, then shortened to `length` before the run reads it.
std::shared_ptr<FileText> textShortenedWhileRead(const QString &path, qint64 length)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    auto mapping = FileMapping::map(fd, qint64(::lseek(fd, 0, SEEK_END)));
    if (!mapping || !QFile::resize(path, length))
        return nullptr;
    auto text = std::make_shared<FileText>(std::move(mapping), TextMetrics::uniform(UnitsPerPixel, XUnits(8 * UnitsPerPixel)));
    text->commit(::pread(fd, text->blockBuffer(2 * length), std::size_t(2 * length), 0));
    ::close(fd);
    return text;
}

int mapEntries()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? int(maps.readAll().count('\n')) : -1;
}

// Every query a view makes to paint, move and read each line.
void queryEveryLine(const FileText &text)
{
    const TextNavigator navigator(text);
    const LineLayout layout(text, text.index().characters());
    BytePosition previousEnd;
    for (const LineIndex::Span &line : navigator.lines(0_line, navigator.lineCount().value())) {
        QVERIFY(line.start >= previousEnd && line.start <= line.end && line.end <= navigator.end());
        previousEnd = line.end;
        QCOMPARE(navigator.lineOf(line.start), navigator.lineOf(line.end));
        layout.characters(line, 0_units, toUnits(Pixels(2000)));
        layout.xOf(line, std::min(line.end, line.start + 10));
        navigator.charactersBefore(line.start);
    }
    for (LineNumber line; line < navigator.lineCount(); ++line)
        QVERIFY(navigator.lineStart(line) <= navigator.lineEnd(line));
}

} // namespace

class MappedTextTest : public QObject
{
    Q_OBJECT

    TestFiles files;

private slots:
    // The middle of the long line is made unreadable: a query that reads
    // there fails the test with SIGSEGV.
    void queriesReadNoFurtherThanTheIndexPromises_data()
    {
        QTest::addColumn<QByteArray>("rewrite");
        QTest::newRow("the first lines' breaks overwritten") << QByteArray(Head.size(), 'x');
        QTest::newRow("new breaks where there were none") << QByteArray(Head.size(), '\n');
        QTest::newRow("nothing changed") << QByteArray();
    }

    void queriesReadNoFurtherThanTheIndexPromises()
    {
        QFETCH(QByteArray, rewrite);
        const QString path = writeSparseLines(files);
        const auto text = mappedTextOf(path);
        QVERIFY(text && text->isMapped());
        if (!rewrite.isEmpty())
            writeAt(path, 0, rewrite);
        char *hidden = const_cast<char *>(text->data()) + 64 * Page;
        const std::size_t hiddenLength = std::size_t(Size - 128 * Page);
        QCOMPARE(::mprotect(hidden, hiddenLength, PROT_NONE), 0);
        queryEveryLine(*text);
        const auto first = TextNavigator(*text).lines(0_line, 1).front();
        QCOMPARE(QByteArray(text->data(), 3), rewrite.isEmpty() ? Head.left(3) : rewrite.left(3));
        QVERIFY(first.end <= BytePosition(LineIndex::BytesPerCheckpoint));
        QCOMPARE(::mprotect(hidden, hiddenLength, PROT_READ), 0);
        QCOMPARE(text->changeSinceRead(), rewrite.isEmpty() ? FileMapping::Change::None : FileMapping::Change::Rewritten);
    }

    // A line of wide characters rewritten with narrow ones: the x of every
    // checkpoint is now far ahead of what the bytes add up to, and a walk to
    // an x would go on to the line's end.
    void aWalkToAnXStopsNearItsCheckpoint()
    {
        const qint64 size = qint64(1) << 20;
        const QString path = files.write(QStringLiteral("wide.txt"), QByteArray(size, 'W'));
        const auto metrics = std::make_shared<const TextMetrics>([](char16_t c) { return c == u'W' ? 640 : 64; }, XUnits(512));
        const auto text = mappedTextOf(path, qint64(1) << 20, metrics);
        QVERIFY(text);
        writeAt(path, 0, QByteArray(size, 'i'));
        const LineLayout layout(*text, text->index().characters());
        const CharacterIndex::Checkpoint checkpoint = text->index().characters().checkpoint(16);
        char *hidden = const_cast<char *>(text->data()) + checkpoint.start.value() + 8 * Page;
        const std::size_t hiddenLength = std::size_t(size - checkpoint.start.value() - 16 * Page);
        QCOMPARE(::mprotect(hidden, hiddenLength, PROT_NONE), 0);
        const LineIndex::Span line{0_byte, BytePosition(size)};
        const XUnits beforeNext = checkpoint.x + XUnits(CharacterIndex::BytesPerCheckpoint * 640 - 1);
        QVERIFY(layout.characterAt(line, beforeNext).position < checkpoint.start + 8 * Page);
        QVERIFY(layout.characters(line, checkpoint.x, beforeNext).size() < 8 * Page);
        QCOMPARE(::mprotect(hidden, hiddenLength, PROT_READ), 0);
    }

    // Each page read past the new end would otherwise be a map entry of its
    // own, until the system's limit ends the program.
    void aShortenedFileReadsAsZerosInOneMapEntry()
    {
        const QString path = writeSparseLines(files);
        const auto text = mappedTextOf(path);
        QVERIFY(text);
        QVERIFY(QFile::resize(path, 50));
        const int before = mapEntries();
        qint64 nonZero = 0;
        for (qint64 at = Size - 1; at >= 0; at -= 12 * 1024)
            nonZero += at >= Page && text->data()[at] != 0;
        for (qint64 at = Page; at < Size; at += 12 * 1024)
            nonZero += text->data()[at] != 0;
        QCOMPARE(nonZero, 0);
        QVERIFY2(mapEntries() - before <= 2, qPrintable(QString::number(mapEntries() - before)));
        QCOMPARE(text->changeSinceRead(), FileMapping::Change::Shortened);
        queryEveryLine(*text);
    }

    // Lines whose breaks are gone would all start where the scan for them
    // stops, and the lines before that place could no longer be told apart.
    void everyLineKeepsAStartOfItsOwn_data()
    {
        QTest::addColumn<QByteArray>("rewrite");
        QTest::newRow("shortened to half") << QByteArray();
        QTest::newRow("rewritten without line breaks") << QByteArray(Size, 'x');
    }

    void everyLineKeepsAStartOfItsOwn()
    {
        QFETCH(QByteArray, rewrite);
        QByteArray lines;
        for (int i = 0; lines.size() < Size; ++i)
            lines += "line " + QByteArray::number(i) + (i % 2 ? "\r\n" : "\n");
        const QString path = files.write(QStringLiteral("lines.txt"), lines.left(Size));
        const auto text = mappedTextOf(path);
        QVERIFY(text);
        if (rewrite.isEmpty())
            QVERIFY(QFile::resize(path, Size / 2));
        else
            writeAt(path, 0, rewrite);
        const TextNavigator navigator(*text);
        const auto spans = navigator.lines(0_line, navigator.lineCount().value());
        QCOMPARE(LineNumber(qint64(spans.size())), navigator.lineCount());
        for (std::size_t line = 1; line < spans.size(); ++line)
            QVERIFY2(spans[line].start > spans[line - 1].start, qPrintable(QString::number(line)));
        for (std::size_t line = 0; line < spans.size(); line += 97) {
            QCOMPARE(navigator.lineOf(spans[line].start), LineNumber(qint64(line)));
            QCOMPARE(navigator.lineStart(LineNumber(qint64(line))), spans[line].start);
        }
    }

    void tellsHowTheFileChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<FileMapping::Change>("told");
        QTest::newRow("left alone") << "none" << FileMapping::Change::None;
        QTest::newRow("rewritten in place") << "rewrite" << FileMapping::Change::Rewritten;
        QTest::newRow("grown") << "append" << FileMapping::Change::Grown;
        QTest::newRow("shortened, before any of it is read") << "truncate" << FileMapping::Change::Shortened;
        QTest::newRow("shortened while it was read, to where the run ended") << "truncate while read" << FileMapping::Change::ShortenedWhileRead;
    }

    void tellsHowTheFileChanged()
    {
        QFETCH(QString, change);
        QFETCH(FileMapping::Change, told);
        const QString path = files.write(QStringLiteral("changes.txt"), QByteArray(3 * Page, 'a'));
        const auto text = change == QLatin1String("truncate while read") ? textShortenedWhileRead(path, Page) : mappedTextOf(path);
        QVERIFY(text);
        if (change == QLatin1String("rewrite"))
            writeAt(path, Page, "b");
        else if (change == QLatin1String("append"))
            writeAt(path, 3 * Page, "b");
        else if (change == QLatin1String("truncate"))
            QVERIFY(QFile::resize(path, Page));
        QCOMPARE(text->changeSinceRead(), told);
        QCOMPARE(fileTextOf(QByteArray(3 * Page, 'a'))->changeSinceRead(), FileMapping::Change::None);
    }
};

QTEST_APPLESS_MAIN(MappedTextTest)
#include "MappedTextTest.moc"
