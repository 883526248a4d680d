#pragma once

#include <QtGlobal>
#include <memory>

class FileText;
class InputFile;
class TextMetrics;

// How a run keeps the file's text for Text2.
//
// A small file is copied: the copy costs little and stays what was dumped
// whatever happens to the file later. A larger one is shown from the file
// itself, mapped, so the memory a run holds does not grow with the file
// (FileMapping tells when the file changes afterwards). A file that cannot be
// mapped, and a pseudo-file, whose size is unknown until its end, keep a copy
// of as much as their limit allows; the dump goes on past it.
class TextStorage
{
public:
    struct Limits
    {
        // Files of known size up to this are copied. 16 MiB fills in a few
        // tens of milliseconds and covers nearly every text file that is
        // edited while it is looked at.
        qint64 copyThreshold = qint64(16) << 20;
        // A larger file that cannot be mapped keeps a copy of at most this:
        // half the memory available, since the system can never drop a
        // copy's pages and the file's own pass through its cache.
        qint64 unmappedCopy = qint64(1) << 30;
        // A file of unknown size keeps a copy of at most this: more than
        // the largest text files of /proc and /sys, little beside memory,
        // however long an endless one is read.
        qint64 unknownSizeCopy = qint64(64) << 20;

        // The limits for a machine with `availableMemory` bytes available
        // (-1: unknown).
        static Limits forMemory(qint64 availableMemory);
        // Every limit `bytes`.
        static Limits uniform(qint64 bytes) { return {bytes, bytes, bytes}; }
    };

    // The text of a file of `size` bytes (-1: not known until its end) that
    // is open as `file`. Where the copy's room cannot be had in full, the
    // copy keeps what can be had, nothing at worst: never throws.
    static std::shared_ptr<FileText> create(InputFile &file, qint64 size, const Limits &limits, std::shared_ptr<const TextMetrics> metrics);

private:
    static std::shared_ptr<FileText> copy(qint64 room, std::shared_ptr<const TextMetrics> metrics);
};
