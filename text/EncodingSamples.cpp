#include "EncodingSamples.h"

#include "FileText.h"
#include "TextFinder.h"

#include <algorithm>

QList<QByteArrayView> EncodingSamples::of(const FileText &text)
{
    const qint64 size = text.size();
    if (size == 0)
        return {};
    QList<QByteArrayView> samples{QByteArrayView(text.data(), std::min<qint64>(size, StartBytes))};
    const TextFinder invalid(text, FindKind::InvalidByte);
    qint64 covered = StartBytes; // bytes before it are in a sample already
    for (int i = 0; i < Points && covered < size; ++i) {
        const qint64 from = std::max(covered, StartBytes + (size - StartBytes) * i / Points);
        const std::optional<FindMatch> found = invalid.first(from, std::min(size, from + SearchBytes));
        if (!found)
            continue;
        const qint64 start = std::max<qint64>(0, found->start.value() - WindowLead) & ~qint64(1);
        const qint64 end = std::min(size, start + WindowBytes);
        samples << QByteArrayView(text.data() + start, end - start);
        covered = end;
    }
    return samples;
}
