#pragma once

#include <QtGlobal>

// Bytes held right now through operator new in this process (the allocator's
// usable size of each block, so slack counts too). Replacing the global
// operator new is what makes this work: link HeapCounter.cpp into the
// program itself. Qt's own containers allocate with malloc and are not
// counted; std::string and new[] are.
class HeapCounter
{
public:
    static qint64 liveBytes();
};
