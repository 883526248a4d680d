#pragma once

#include <QtGlobal>
#include <memory>

class FileText;
class InputFile;
class TextMetrics;

// How a run keeps the file's text for Text2. A copy where it fits
// comfortably in memory: it stays what was dumped whatever happens to the
// file later. Else the file itself, mapped, which needs no memory of its
// own. A file that cannot be mapped keeps a copy of as much as fits; the
// dump goes on past it.
class TextStorage
{
public:
    // A copy may take half the memory available: the system can never drop
    // a copy's pages, and the file's own pages pass through its cache as it
    // is read, so the other half stays for them and for everything else.
    static qint64 copyBudget(qint64 availableMemory);
    // Room when the available memory is unknown.
    static constexpr qint64 UnknownMemoryBudget = qint64(1) << 30;

    // The text of a file of `size` bytes (-1: not known until its end) that
    // is open as `file`. Throws std::bad_alloc when not even the room for a
    // copy's first bytes can be had.
    static std::shared_ptr<FileText> create(InputFile &file, qint64 size, qint64 budget, std::shared_ptr<const TextMetrics> metrics);
};
