#include "TextStorage.h"

#include "FileMapping.h"
#include "FileText.h"
#include "InputFile.h"

#include <algorithm>
#include <new>

namespace {

// Below this a copy is not worth halving further: the text is left out.
constexpr qint64 SmallestCopy = qint64(1) << 20;

} // namespace

TextStorage::Limits TextStorage::Limits::forMemory(qint64 availableMemory)
{
    Limits limits;
    if (availableMemory >= 0)
        limits.unmappedCopy = availableMemory / 2;
    return limits;
}

std::shared_ptr<FileText> TextStorage::create(InputFile &file, qint64 size, const Limits &limits, std::shared_ptr<const TextMetrics> metrics)
{
    if (size < 0) {
        std::shared_ptr<FileText> text = copy(limits.unknownSizeCopy, std::move(metrics));
        if (text->capacity() == limits.unknownSizeCopy)
            text->markRoomAsBudget();
        return text;
    }
    if (size > limits.copyThreshold) {
        if (std::unique_ptr<FileMapping> mapping = file.map(size))
            return std::make_shared<FileText>(std::move(mapping), std::move(metrics));
        return copy(std::min(size, limits.unmappedCopy), std::move(metrics));
    }
    return copy(size, std::move(metrics));
}

// Room for `room` bytes where the address space has it; else half of the
// largest room that could be had, so that the rest of the program keeps
// the other half; else none.
std::shared_ptr<FileText> TextStorage::copy(qint64 room, std::shared_ptr<const TextMetrics> metrics)
{
    for (qint64 tried = room; tried > 0; tried /= 2) {
        try {
            if (tried == room)
                return std::make_shared<FileText>(room, metrics);
            std::make_shared<FileText>(tried, metrics).reset();
            return std::make_shared<FileText>(tried / 2, metrics);
        } catch (const std::bad_alloc &) {
            if (tried < SmallestCopy)
                break;
        }
    }
    return std::make_shared<FileText>(0, std::move(metrics));
}
