#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>
#include <memory>

class InputFile;

// Reads a file ahead of the run, on a thread of its own, into a small ring
// of buffers, so that no read ever holds up the window's thread: the run
// dumps and scans the pieces already read while the next ones are in flight,
// and a read that stalls (a share whose server is gone) only leaves the ring
// empty. A thread rather than asynchronous reads on the window's thread:
// the run stays one loop of blocks, a read that never returns costs one
// sleeping thread, and every kind of file (pseudo-files that block
// included) is read the same way.
//
// The file is read from its start in pieces of at most `pieceLength` bytes;
// a file of known size up to that size, one of unknown size (-1) until a
// read returns 0. The file belongs to the reader thread, which closes it as
// soon as the reading ends or is given up; the run never touches it again.
class ReadAhead
{
public:
    using Clock = std::chrono::steady_clock;
    enum class Ending {
        None,     // still reading
        End,      // the whole file was read
        Shortened, // a file of known size ended early: it shrank
        Failed,   // a read failed: see errorText()
    };

    // Two: one piece is scanned while the next is read; the kernel's own
    // read-ahead keeps the disk busy beyond them.
    static constexpr int RingSlots = 2;
    // A file that has nothing to give yet (a pseudo-file) is polled this often.
    static constexpr int DataWaitMilliseconds = 50;
    // How long letting go waits for the thread to close the file before it
    // leaves the thread to do so once its read returns.
    static constexpr int LetGoMilliseconds = 20;

    ReadAhead(std::unique_ptr<InputFile> file, qint64 size, qint64 pieceLength);
    // Gives up the reading. The file is closed by then unless a read is
    // still in flight after LetGoMilliseconds; it is closed when that read
    // returns, however late, and nothing it read goes anywhere.
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The next bytes read, at most `max`, waiting for them until `until` at
    // the latest: their count, with `data` pointing at them until the next
    // call; 0 when nothing came by then or when the reading has ended.
    qint64 take(const char *&data, qint64 max, Clock::time_point until);
    // Once take() has returned everything: how the reading ended.
    Ending ending() const;
    // The system's reason for a failed read.
    QString errorText() const;
    // For a shortened file: its length when the short read was seen; -1
    // when the system could not tell.
    qint64 sizeAtEnd() const;

private:
    struct Shared;
    struct Outcome;
    static void read(std::shared_ptr<Shared> shared, std::unique_ptr<InputFile> file, qint64 size);
    static bool waitForRoom(Shared &s);
    static void readPiece(Shared &s, InputFile &file, qint64 size, qint64 &offset, int &back, Outcome &outcome);
    void letGoOfTakenSlot();

    std::shared_ptr<Shared> m_shared;
    qint64 m_taken = 0; // bytes of the front slot already handed out
};
