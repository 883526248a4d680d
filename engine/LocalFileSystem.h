#pragma once

#include "FileSystem.h"

// The machine's own file system.
class LocalFileSystem : public FileSystem
{
public:
    Status status(const QString &path) override;
    std::unique_ptr<InputFile> open(const QString &path, QString &errorText) override;
    qint64 availableMemory() override;
};
