#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class FileMapping;

// A file open for sequential reading; closed when destroyed.
class InputFile
{
public:
    // read()'s answer when a file that never blocks has nothing to give yet.
    static constexpr qint64 WouldBlock = -2;

    virtual ~InputFile() = default;
    // Reads up to `max` bytes at the current position. Returns the count read,
    // 0 at the end of the file, -1 on failure (see errorText()), or WouldBlock.
    // A short count is the end of the file only for a file of known size.
    virtual qint64 read(char *into, qint64 max) = 0;
    // After WouldBlock: returns once read() may have something, or after
    // `milliseconds` at most.
    virtual void waitForData(int milliseconds) = 0;
    // The file's length now, as the system reports it; -1 if it cannot tell.
    virtual qint64 currentSize() const = 0;
    // The system's reason for the last failure.
    virtual QString errorText() const = 0;
    // The file's first `length` bytes mapped read-only, readable after the
    // file is closed; nullptr when it cannot be mapped.
    virtual std::unique_ptr<FileMapping> map(qint64 length) = 0;
};
