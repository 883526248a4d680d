#include "ReadAhead.h"

#include "InputFile.h"
#include "SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Page-aligned as the file's pages are: the kernel copies into a buffer
// 16 bytes off a page boundary, where a heap block starts, at half the speed.
constexpr std::size_t BufferAlignment = 4096;

struct AlignedDelete
{
    void operator()(char *p) const { ::operator delete[](p, std::align_val_t(BufferAlignment)); }
};

using Buffer = std::unique_ptr<char[], AlignedDelete>;

bool allocate(Buffer &buffer, qint64 length)
{
    try {
        buffer.reset(static_cast<char *>(::operator new[](std::size_t(length), std::align_val_t(BufferAlignment))));
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

} // namespace

// What the run and the reader thread share; the thread keeps it alive for
// as long as its last read takes, however long the run is gone.
struct ReadAhead::Shared
{
    struct Slot
    {
        Buffer bytes; // the reader's until filled, the run's until handed back
        qint64 count = 0;
    };

    std::mutex mutex;
    std::condition_variable toReader; // a slot handed back, or the reading given up
    std::condition_variable toRun;    // a slot filled, or the file closed
    std::vector<Slot> ring = std::vector<Slot>(RingSlots);
    qint64 pieceLength = 0;
    int front = 0;  // the run's next slot
    int filled = 0; // slots filled and not handed back
    bool givenUp = false;
    bool closed = false; // the reading is over and the file closed
    Ending ending = Ending::None;
    QString errorText;
    qint64 sizeAtEnd = -1;
};

ReadAhead::ReadAhead(std::unique_ptr<InputFile> file, qint64 size, qint64 pieceLength)
    : m_shared(std::make_shared<Shared>())
{
    Q_ASSERT(pieceLength > 0);
    m_shared->pieceLength = pieceLength;
    try {
        std::thread(&ReadAhead::read, m_shared, std::move(file), size).detach();
    } catch (const std::system_error &error) {
        // no thread to be had: the run reports it as a failed read
        m_shared->ending = Ending::Failed;
        m_shared->errorText = SystemReason::text(error.code().value());
        m_shared->closed = true;
    }
}

ReadAhead::~ReadAhead()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->givenUp = true;
    m_shared->toReader.notify_all();
    m_shared->toRun.wait_for(lock, std::chrono::milliseconds(LetGoMilliseconds), [this] { return m_shared->closed; });
}

// How the reader thread's reading ended, for the run.
struct ReadAhead::Outcome
{
    Ending ending = Ending::None;
    QString errorText;
    qint64 sizeAtEnd = -1;
};

void ReadAhead::read(std::shared_ptr<Shared> shared, std::unique_ptr<InputFile> file, qint64 size)
{
    Shared &s = *shared;
    qint64 offset = 0;
    int back = 0;
    Outcome outcome;
    while (outcome.ending == Ending::None && waitForRoom(s))
        readPiece(s, *file, size, offset, back, outcome);
    file.reset();
    const std::lock_guard lock(s.mutex);
    s.ending = outcome.ending;
    s.errorText = outcome.errorText;
    s.sizeAtEnd = outcome.sizeAtEnd;
    s.closed = true;
    s.toRun.notify_all();
}

bool ReadAhead::waitForRoom(Shared &s)
{
    std::unique_lock lock(s.mutex);
    s.toReader.wait(lock, [&] { return s.givenUp || s.filled < RingSlots; });
    return !s.givenUp;
}

// Reads the next piece into the ring's back slot; sets `outcome` when the
// reading ends.
void ReadAhead::readPiece(Shared &s, InputFile &file, qint64 size, qint64 &offset, int &back, Outcome &outcome)
{
    const qint64 wanted = size < 0 ? s.pieceLength : std::min(s.pieceLength, size - offset);
    if (wanted <= 0) {
        outcome.ending = Ending::End;
        return;
    }
    Shared::Slot &slot = s.ring[std::size_t(back)];
    if (!slot.bytes && !allocate(slot.bytes, s.pieceLength)) {
        outcome = {Ending::Failed, SystemReason::text(ENOMEM)};
        return;
    }
    const qint64 count = file.read(slot.bytes.get(), wanted);
    if (count == InputFile::WouldBlock) {
        file.waitForData(DataWaitMilliseconds);
        return;
    }
    if (count < 0) {
        outcome = {Ending::Failed, file.errorText()};
        return;
    }
    if (count > 0) {
        const std::lock_guard lock(s.mutex);
        slot.count = count;
        ++s.filled;
        back = (back + 1) % RingSlots;
        s.toRun.notify_all();
    }
    offset += count;
    if (size < 0 && count == 0)
        outcome.ending = Ending::End;
    else if (size >= 0 && count < wanted)
        outcome = {Ending::Shortened, QString(), file.currentSize()};
}

qint64 ReadAhead::take(const char *&data, qint64 max, Clock::time_point until)
{
    Shared &s = *m_shared;
    std::unique_lock lock(s.mutex);
    letGoOfTakenSlot();
    if (!s.toRun.wait_until(lock, until, [&] { return s.filled > 0 || s.closed; }) || s.filled == 0)
        return 0;
    const Shared::Slot &slot = s.ring[std::size_t(s.front)];
    const qint64 count = std::min(max, slot.count - m_taken);
    data = slot.bytes.get() + m_taken;
    m_taken += count;
    return count;
}

// The front slot, once all its bytes are taken, goes back to the reader.
void ReadAhead::letGoOfTakenSlot()
{
    Shared &s = *m_shared;
    if (s.filled == 0 || m_taken < s.ring[std::size_t(s.front)].count)
        return;
    s.front = (s.front + 1) % RingSlots;
    --s.filled;
    m_taken = 0;
    s.toReader.notify_all();
}

ReadAhead::Ending ReadAhead::ending() const
{
    const Shared &s = *m_shared;
    const std::lock_guard lock(m_shared->mutex);
    const bool bytesLeft = s.filled > 1 || (s.filled == 1 && m_taken < s.ring[std::size_t(s.front)].count);
    return s.closed && !bytesLeft ? s.ending : Ending::None;
}

QString ReadAhead::errorText() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->errorText;
}

qint64 ReadAhead::sizeAtEnd() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->sizeAtEnd;
}
