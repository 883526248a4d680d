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
        // The size is the file's length. False for a file that reports 0,
        // and for the files of pseudo file systems (/proc, /sys, ...), whose
        // sizes are nominal: such a file is read until a read returns 0.
        bool sizeKnown = true;
    };

    virtual ~FileSystem() = default;
    virtual Status status(const QString &path) = 0;
    // Opens a regular file for reading without ever blocking on the open;
    // nullptr with the reason in `errorText` when it cannot. A file whose size
    // is not known is read without blocking too (see InputFile::WouldBlock):
    // a pseudo-file may wait for data that never comes.
    virtual std::unique_ptr<InputFile> open(const QString &path, QString &errorText) = 0;
    // Bytes of memory that can still be had without swapping; -1 if unknown.
    virtual qint64 availableMemory() = 0;
};
