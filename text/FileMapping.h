#pragma once

#include <QtGlobal>
#include <memory>

// The first bytes of an open file, mapped read-only, that stay readable
// after the file is closed. If another program shortens the file, a page
// that is no longer there would make every read of it fail with SIGBUS; here
// such a page is replaced by zeros the first time it is read, and counted,
// so that the program goes on and can tell that what it shows is no longer
// the file's content.
class FileMapping
{
public:
    // Maps `length` bytes (> 0) of `fd` from its start; nullptr when the file
    // cannot be mapped (a pseudo-file, a full address space).
    static std::unique_ptr<FileMapping> map(int fd, qint64 length);
    ~FileMapping();
    FileMapping(const FileMapping &) = delete;
    FileMapping &operator=(const FileMapping &) = delete;

    const char *data() const { return m_data; }
    qint64 length() const { return m_length; }
    // Pages found gone and read as zeros since the mapping was made.
    qint64 vanishedPages() const;

private:
    FileMapping(char *data, qint64 length, int slot);

    char *m_data;
    qint64 m_length;
    int m_slot; // in MappingGuard
};
