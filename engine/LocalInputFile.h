#pragma once

#include "InputFile.h"

// A file of the machine's own file system, by its open descriptor.
class LocalInputFile : public InputFile
{
public:
    // Takes ownership of `fd`. `dropBehind`: for a file larger than the
    // memory at hand, what has been read is let go of from the page cache a
    // read later, so that the cache never fills and the system never stalls
    // the run to reclaim it; a file that fits is kept there for the next look.
    // Without `mappable`, map() gives nothing.
    explicit LocalInputFile(int fd, bool dropBehind = false, bool mappable = true)
        : m_fd(fd), m_dropBehind(dropBehind), m_mappable(mappable)
    {
    }
    ~LocalInputFile() override;
    LocalInputFile(const LocalInputFile &) = delete;
    LocalInputFile &operator=(const LocalInputFile &) = delete;

    qint64 read(char *into, qint64 max) override;
    void waitForData(int milliseconds) override;
    qint64 currentSize() const override;
    QString errorText() const override;
    std::unique_ptr<FileMapping> map(qint64 length) override;

private:
    int m_fd;
    bool m_dropBehind;
    bool m_mappable;
    qint64 m_readTo = 0; // where the next read starts
    int m_error = 0;
};
