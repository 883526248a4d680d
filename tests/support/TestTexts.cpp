#include "TestTexts.h"

#include "FileText.h"
#include "TextMetrics.h"

#include <algorithm>
#include <cstring>

std::shared_ptr<FileText> textInBlocks(const QByteArray &bytes, const QList<qint64> &blocks, qint64 blockLength,
                                       std::shared_ptr<const TextMetrics> metrics)
{
    Q_ASSERT(blockLength > 0);
    auto text = std::make_shared<FileText>(bytes.size(), metrics ? metrics : TextMetrics::uniform(64, 8 * 64));
    qint64 done = 0;
    const auto commit = [&](qint64 n) {
        n = std::min(n, bytes.size() - done);
        char *into = text->blockBuffer(n);
        if (n > 0)
            std::memcpy(into, bytes.constData() + done, std::size_t(n));
        text->commit(n);
        done += n;
    };
    for (qint64 n : blocks)
        commit(n);
    while (done < bytes.size())
        commit(blockLength);
    return text;
}
