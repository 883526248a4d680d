#pragma once

#include "InputFile.h"

#include <QString>
#include <QtGlobal>
#include <memory>

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
