#pragma once

#include "BlockPacer.h"
#include "DumpList.h"
#include "LocalFileSystem.h"
#include "ReadAhead.h"
#include "TextStorage.h"

#include <QString>
#include <optional>

class QElapsedTimer;

class DumpWindow;
class FileText;

// The dump run: asks the window for a file, reads it block by block into the
// dump list and the file's text, keeps the status caption up to date, and
// shows both at the end. Runs on the window's thread; the window's events
// are handled once per block, and that is when StopDump and ShowDumpList can
// be called during a run.
//
// Every file is dumped byte for byte, of any size. A file of known size is
// dumped up to the size read at the start; one of unknown size (a pseudo-file
// of /proc or /sys) until a read finds its real end, with "?" for its size in
// the captions (and in the final one, when the run is stopped before that
// end). The file's text is a copy for a small file or a pseudo-file, else
// the file itself, mapped (TextStorage); what neither holds is dumped but
// left out of the text. The file is read ahead on a thread of its own
// (ReadAhead), so that the run dumps and scans one piece while the next is
// read and no read ever holds up the window: while nothing comes (a
// pseudo-file with nothing to give, a share that stalls), a block ends
// empty at its deadline and the window's events are handled as between any
// two blocks; after StallMilliseconds without data the caption says that
// the run is waiting, until data comes again. A run stopped then ends at
// once: what was read is dumped, and the file is let go of, to be closed
// when its read returns. Blocks are sized by a BlockPacer. Failures are
// collected as they happen and reported once per run in a message box; a run
// always finishes: the partial dump is shown and the file is closed.
class DumpEngine
{
public:
    // The longest wait of a block of fixed length (tests) for its first
    // bytes before the window's events are handled again; a paced block
    // waits until its deadline.
    static constexpr int DataWaitMilliseconds = 50;
    // The file is read in pieces of at most this, each dumped and indexed
    // as a whole: small enough to stay in the processor's cache, and the
    // buffers of the read-ahead never grow past it as the blocks lengthen.
    static constexpr qint64 PieceLength = qint64(1) << 20;
    // A read that has brought nothing for this long is told in the caption.
    static constexpr int StallMilliseconds = 1000;
    static const QString FileFilter;
    static const QString WaitingCaption;

    // Without a file system, the machine's own is used. Blocks are paced
    // (BlockPacer) unless a fixed length is given.
    explicit DumpEngine(DumpWindow &window, FileSystem *fileSystem = nullptr, qint64 blockLength = 0);

    // Command1. Ignored while a run is in progress.
    void RunDump();
    // The run RunDump makes when `path` is chosen in the dialog, without the
    // dialog: a file given on the command line or dropped on the window.
    // Ignored while a run is in progress, as RunDump is; an empty path does
    // nothing. Paths are names as FileName holds them.
    void DumpFile(const QString &path);
    // DumpFile of the path of the latest run; nothing before the first.
    void DumpAgain();
    // The path of the latest run, whether or not its file could be read.
    const std::optional<QString> &lastPath() const { return m_lastPath; }
    // Command2: the run in progress ends at its next block.
    void StopDump();
    // Option1 / Option2: puts the dump list, cut to DumpLimit, into Text1.
    void ShowDumpList();

    // Keeps a copy of the file's text for files of at most `bytes`, shows
    // larger ones from the file, and keeps at most `bytes` of any other
    // (TextStorage::Limits::uniform); without it, the limits follow the
    // memory available, read at each run.
    void setCopyBudget(qint64 bytes) { m_limits = TextStorage::Limits::uniform(bytes); }

    bool isRunning() const { return m_running; }
    const DumpList &dumpList() const { return m_dumpList; }

    // The prefix, then count "/" size in upper-case hex; "?" for a size
    // that is not known (negative).
    static QString progressCaption(const QString &prefix, qint64 count, qint64 size);

private:
    struct Run;
    void beginRun();
    void dumpPath(const QString &path);
    void readSize(Run &run);
    void openFile(Run &run);

    void dumpBlocks(Run &run);
    QString runningCaption(const Run &run) const;
    void dumpBlock(Run &run, const QElapsedTimer &clock);
    ReadAhead::Clock::time_point waitUntil(const QElapsedTimer &clock, bool taken) const;
    void endOfReading(Run &run);
    void dump(Run &run, const char *block, qint64 count);
    void recordShrink(const Run &run);
    void finish(Run &run);
    void record(const QString &message);
    void reportPendingError();

    DumpWindow &m_window;
    LocalFileSystem m_localFileSystem;
    FileSystem &m_fileSystem;
    const qint64 m_blockLength; // 0: paced
    std::optional<TextStorage::Limits> m_limits;
    DumpList m_dumpList;
    bool StopRequested = false;
    bool m_running = false;
    bool m_errorShown = false;
    std::optional<QString> PendingError; // the message of the run's latest failure
    std::optional<QString> m_lastPath;
};
