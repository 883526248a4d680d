#include "TextStorage.h"

#include "FileMapping.h"
#include "FileText.h"
#include "InputFile.h"

#include <algorithm>
#include <new>

qint64 TextStorage::copyBudget(qint64 availableMemory)
{
    return availableMemory < 0 ? UnknownMemoryBudget : availableMemory / 2;
}

std::shared_ptr<FileText> TextStorage::create(InputFile &file, qint64 size, qint64 budget, std::shared_ptr<const TextMetrics> metrics)
{
    if (size >= 0 && size <= budget) {
        try {
            return std::make_shared<FileText>(size, metrics);
        } catch (const std::bad_alloc &) {
            // the address space is short: the mapping below may still fit
        }
    }
    if (size > 0) {
        if (std::unique_ptr<FileMapping> mapping = file.map(size))
            return std::make_shared<FileText>(std::move(mapping), std::move(metrics));
    }
    const qint64 room = size >= 0 ? std::min(size, budget) : budget;
    return std::make_shared<FileText>(room, std::move(metrics));
}
