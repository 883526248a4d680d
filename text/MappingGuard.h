#pragma once

#include <QtGlobal>

// Keeps reads of mapped files from killing the program when a file has
// been shortened: a SIGBUS on a page of a guarded mapping maps zeros over
// that page and the rest of the mapping, and notes it; any other SIGBUS goes
// to the handler that was there before. The handler is installed with the first mapping.
// A fixed number of mappings can be guarded at once.
class MappingGuard
{
public:
    static constexpr int Slots = 64;

    // A slot for [start, start + length), or -1 when all are taken.
    static int add(const char *start, qint64 length);
    static void remove(int slot);
    // Some pages were gone when read and are zeros now.
    static bool hasVanished(int slot);
};
