#pragma once

#include "InputFile.h"

// A file of the machine's own file system, by its open descriptor.
class LocalInputFile : public InputFile
{
public:
    // Takes ownership of `fd`.
    explicit LocalInputFile(int fd) : m_fd(fd) {}
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
    int m_error = 0;
};
