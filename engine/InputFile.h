#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// A file open for sequential reading; closed when destroyed.
class InputFile
{
public:
    virtual ~InputFile() = default;
    // Reads up to `max` bytes at the current position. Returns the count read,
    // 0 at the end of the file, -1 on failure (see errorText()).
    virtual qint64 read(char *into, qint64 max) = 0;
    // The system's reason for the last failure.
    virtual QString errorText() const = 0;
};

// What the run needs of the file system. Failures carry the system's reason.
class FileSystem
{
public:
    struct Status
    {
        bool ok = false;        // the path could be examined
        bool isRegular = false; // a regular file (symbolic links followed)
        qint64 size = 0;
        QString errorText;      // when !ok
    };

    virtual ~FileSystem() = default;
    virtual Status status(const QString &path) = 0;
    // Opens a regular file for reading without ever blocking on the open;
    // nullptr with the reason in `errorText` when it cannot.
    virtual std::unique_ptr<InputFile> open(const QString &path, QString &errorText) = 0;
    // Bytes of memory that can still be had without swapping; -1 if unknown.
    virtual qint64 availableMemory() = 0;
};

// The machine's own file system.
class LocalFileSystem : public FileSystem
{
public:
    Status status(const QString &path) override;
    std::unique_ptr<InputFile> open(const QString &path, QString &errorText) override;
    qint64 availableMemory() override;
};
