#include "DumpEngine.h"

#include "DumpWindow.h"
#include "FileName.h"
#include "FileText.h"
#include "TextStorage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <algorithm>
#include <new>

const QString DumpEngine::FileFilter = QStringLiteral("テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*");
const QString DumpEngine::WaitingCaption = QStringLiteral("読み込みを待っています…");

namespace {

// A block of fixed length (tests) that has its first bytes waits this long
// at most for the rest.
constexpr int FixedBlockWaitMilliseconds = 1000;
constexpr std::chrono::milliseconds FirstPieceWait(8);
constexpr std::chrono::milliseconds NextPieceWait(2);

// A byte count as Japanese readers write it: 1,234,567.
QString byteCount(qint64 count)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(count);
}

class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    bool &m_flag;
};

} // namespace

struct DumpEngine::Run
{
    QString ChosenPath;
    QString shownPath; // as the user knows it, for messages
    qint64 FileSize = 0;
    bool sizeKnown = true;
    qint64 Position = 1;
    bool atEnd = false;
    std::shared_ptr<FileText> TextAll = std::make_shared<FileText>();
    std::unique_ptr<InputFile> file; // until the reading starts
    std::unique_ptr<ReadAhead> reader;
    BlockPacer blocks;
    QElapsedTimer sinceData; // since the last block that brought bytes
    QString caption;         // the last one set
};

DumpEngine::DumpEngine(DumpWindow &window, FileSystem *fileSystem, qint64 blockLength)
    : m_window(window)
    , m_fileSystem(fileSystem ? *fileSystem : m_localFileSystem)
    , m_blockLength(blockLength)
{
    Q_ASSERT(blockLength >= 0);
}

QString DumpEngine::progressCaption(const QString &prefix, qint64 count, qint64 size)
{
    const QString total = size < 0 ? QStringLiteral("?") : QString::number(size, 16).toUpper();
    return prefix + QString::number(count, 16).toUpper() + u'/' + total;
}

void DumpEngine::RunDump()
{
    if (m_running)
        return;
    beginRun();
    const std::optional<QString> chosen = m_window.chooseFile(FileFilter);
    if (chosen && !chosen->isEmpty())
        dumpPath(*chosen);
}

void DumpEngine::DumpFile(const QString &path)
{
    if (m_running)
        return;
    beginRun();
    if (!path.isEmpty())
        dumpPath(path);
}

void DumpEngine::DumpAgain()
{
    if (m_lastPath)
        DumpFile(*m_lastPath);
}

void DumpEngine::beginRun()
{
    PendingError.reset();
    m_errorShown = false;
}

void DumpEngine::dumpPath(const QString &path)
{
    const RunningFlag running(m_running);
    m_lastPath = path;
    Run run;
    run.blocks = BlockPacer(m_blockLength);
    run.ChosenPath = path;
    run.shownPath = FileName::displayed(QDir::toNativeSeparators(path));
    readSize(run);
    openFile(run);
    m_dumpList.BeginDumpList();
    run.Position = 1;
    StopRequested = false;
    m_window.setStopEnabled(true);
    run.atEnd = run.sizeKnown && run.FileSize == 0;
    dumpBlocks(run);
    finish(run);
}

// The final caption counts what was read, of the size read at the start or,
// when that size is unknown, of what was found at the file's end; a run
// stopped before that end does not know the size.
void DumpEngine::finish(Run &run)
{
    if (PendingError && !m_errorShown)
        reportPendingError();
    const qint64 dumped = run.Position - 1;
    const qint64 size = run.sizeKnown ? run.FileSize : run.atEnd ? dumped : -1;
    m_window.setStatusCaption(progressCaption(QStringLiteral("実行終了"), dumped, size));
    m_dumpList.FinishDumpList();
    ShowDumpList();
    m_window.setFileText(std::move(run.TextAll));
    run.reader.reset();
}

void DumpEngine::StopDump()
{
    StopRequested = true;
    m_window.setStopEnabled(false);
}

void DumpEngine::ShowDumpList()
{
    if (m_dumpList.length() <= DumpList::DumpLimit || !m_window.isCutFrontSelected())
        m_window.setDumpText(m_dumpList.first(DumpList::DumpLimit));
    else
        m_window.setDumpText(m_dumpList.last(DumpList::DumpLimit));
}

void DumpEngine::readSize(Run &run)
{
    const FileSystem::Status status = m_fileSystem.status(run.ChosenPath);
    if (!status.ok)
        record(QStringLiteral("「%1」の大きさを取得できません。\n理由: %2").arg(run.shownPath, status.errorText));
    else if (!status.isRegular)
        record(QStringLiteral("「%1」は通常のファイルではないため、ダンプできません。").arg(run.shownPath));
    else {
        run.FileSize = status.size;
        run.sizeKnown = status.sizeKnown;
    }
}

void DumpEngine::openFile(Run &run)
{
    if (PendingError)
        return; // nothing to open: the path is gone or is no regular file
    QString reason;
    run.file = m_fileSystem.open(run.ChosenPath, reason);
    if (!run.file) {
        record(QStringLiteral("「%1」を開けません。\n理由: %2").arg(run.shownPath, reason));
        return;
    }
    const TextStorage::Limits limits = m_limits ? *m_limits : TextStorage::Limits::forMemory(m_fileSystem.availableMemory());
    try {
        run.TextAll = TextStorage::create(*run.file, run.sizeKnown ? run.FileSize : -1, limits, m_window.textMetrics());
    } catch (const std::bad_alloc &) {
        // not even an empty text's few bytes: the run keeps its empty text,
        // dumps the file all the same, and Text2 says what it left out
    }
    const qint64 piece = m_blockLength > 0 ? std::min(m_blockLength, PieceLength) : PieceLength;
    run.reader = std::make_unique<ReadAhead>(std::move(run.file), run.sizeKnown ? run.FileSize : -1, piece);
}

void DumpEngine::dumpBlocks(Run &run)
{
    run.sinceData.start();
    while (!run.atEnd) {
        m_window.handlePendingEvents();
        if (StopRequested)
            break;
        const QString caption = run.sinceData.hasExpired(StallMilliseconds) ? WaitingCaption : runningCaption(run);
        if (caption != run.caption) // a block that brought nothing leaves it as it is
            m_window.setStatusCaption(run.caption = caption);
        QElapsedTimer clock;
        clock.start();
        const qint64 from = run.Position;
        dumpBlock(run, clock);
        run.blocks.took(run.Position - from, clock.nsecsElapsed());
        if (PendingError) {
            reportPendingError();
            break;
        }
    }
}

QString DumpEngine::runningCaption(const Run &run) const
{
    return progressCaption(QStringLiteral("実行中 "), run.Position, run.sizeKnown ? run.FileSize : -1);
}

// Takes the next block from the read-ahead into the dump and the file's
// text, which keeps what it has room for. A file of known size is dumped up
// to the size read at the start, so a growing file is dumped up to that
// size; one of unknown size until a read returns 0. A block takes what has
// been read, waiting for more until its deadline; a paced block ends early
// rather than pass it, the next piece's time foretold by the last one's.
void DumpEngine::dumpBlock(Run &run, const QElapsedTimer &clock)
{
    qint64 left = run.sizeKnown ? run.blocks.lengthBefore(run.FileSize - (run.Position - 1)) : run.blocks.length();
    bool taken = false;
    while (left > 0 && run.reader) {
        const qint64 before = clock.nsecsElapsed();
        const char *piece = nullptr;
        const qint64 count = run.reader->take(piece, std::min(left, PieceLength), waitUntil(clock, taken));
        if (count == 0)
            break;
        run.TextAll->append(piece, count);
        dump(run, piece, count);
        taken = true;
        left -= count;
        if (run.blocks.endsBefore(clock.nsecsElapsed(), clock.nsecsElapsed() - before))
            break;
    }
    if (taken)
        run.sinceData.start();
    endOfReading(run);
}

// A paced block waits for its first piece FirstPieceWait at most, and for
// each next one NextPieceWait, so that a slow share's pieces, far apart,
// keep the window's turns as close as a cached file's blocks; a disk that
// brings them faster than they are scanned fills the block to its deadline.
ReadAhead::Clock::time_point DumpEngine::waitUntil(const QElapsedTimer &clock, bool taken) const
{
    using namespace std::chrono;
    const auto now = ReadAhead::Clock::now();
    const auto blockStart = now - nanoseconds(clock.nsecsElapsed());
    if (m_blockLength > 0)
        return blockStart + milliseconds(taken ? FixedBlockWaitMilliseconds : DataWaitMilliseconds);
    const auto deadline = blockStart + nanoseconds(BlockPacer::DeadlineNanoseconds);
    return std::min(deadline, taken ? now + NextPieceWait : blockStart + FirstPieceWait);
}

// Once the read-ahead has given everything: the end, a shrink or a failure.
void DumpEngine::endOfReading(Run &run)
{
    if (run.sizeKnown && run.Position > run.FileSize) {
        run.atEnd = true;
        return;
    }
    if (!run.reader)
        return; // the failure to open is already recorded
    switch (run.reader->ending()) {
    case ReadAhead::Ending::None:
        return;
    case ReadAhead::Ending::End:
        run.atEnd = true;
        return;
    case ReadAhead::Ending::Shortened:
        recordShrink(run);
        return;
    case ReadAhead::Ending::Failed:
        record(QStringLiteral("「%1」の読み込み中にエラーが発生しました。\n理由: %2").arg(run.shownPath, run.reader->errorText()));
        return;
    }
}

void DumpEngine::dump(Run &run, const char *block, qint64 count)
{
    m_dumpList.AppendDumpBytes(block, count);
    run.Position += count;
}

void DumpEngine::recordShrink(const Run &run)
{
    QString message = QStringLiteral("「%1」は読み込み中に短くなりました。%2 バイトをダンプしました。")
                          .arg(run.shownPath, byteCount(run.Position - 1));
    const qint64 now = run.reader->sizeAtEnd();
    if (now >= 0)
        message += QStringLiteral("ファイルは今 %1 バイトです。").arg(byteCount(now));
    record(message);
}

void DumpEngine::record(const QString &message)
{
    PendingError = message;
}

void DumpEngine::reportPendingError()
{
    m_errorShown = true;
    m_window.showMessage(*PendingError);
}
