#pragma once

#include <QtGlobal>
#include <ctime>
#include <memory>

// The first bytes of an open file, mapped read-only, that stay readable
// after the file is closed. If another program shortens the file, a page
// that is no longer there would make every read of it fail with SIGBUS; here
// such pages read as zeros from the first one read on (MappingGuard), so
// that the program goes on and can tell that what it shows is no longer the
// file's content. A change in place shows as it is made; change() tells
// either apart from a file left alone.
class FileMapping
{
public:
    enum class Change {
        None,      // as it was when mapped
        Rewritten, // written to since: what is shown is the file as it is now
        Grown,     // written to and longer: what was added is not shown
        // Shorter than when mapped, but all that was read is there: the run
        // met the file's end early (or was stopped before the new end).
        ShortenedWhileRead,
        Shortened, // a part of what was read is gone and shows as zeros
    };

    // Maps `length` bytes (> 0) of `fd` from its start; nullptr when the file
    // cannot be mapped (a pseudo-file, a full address space).
    static std::unique_ptr<FileMapping> map(int fd, qint64 length);
    ~FileMapping();
    FileMapping(const FileMapping &) = delete;
    FileMapping &operator=(const FileMapping &) = delete;

    const char *data() const { return m_data; }
    qint64 length() const { return m_length; }
    // What happened to the file since it was mapped, of which the first
    // `read` bytes were read, from its size and modification time now: one
    // fstat, cheap enough for every paint.
    Change change(qint64 read) const;

private:
    FileMapping(char *data, qint64 length, int slot, int fd, timespec modified);

    char *m_data;
    qint64 m_length;
    int m_slot; // in MappingGuard
    int m_fd;   // a duplicate of the mapped file's, to look at it later
    timespec m_modified;
};
