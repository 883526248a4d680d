#include "TestTexts.h"

#include "FileText.h"
#include "TextMetrics.h"

#include <QFile>
#include <QString>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::shared_ptr<const TextMetrics> orUniform(std::shared_ptr<const TextMetrics> metrics)
{
    return metrics ? metrics : TextMetrics::uniform(64, XUnits(8 * 64));
}

} // namespace

std::shared_ptr<FileText> textInBlocks(const QByteArray &bytes, const QList<qint64> &blocks, qint64 blockLength,
                                       std::shared_ptr<const TextMetrics> metrics)
{
    Q_ASSERT(blockLength > 0);
    auto text = std::make_shared<FileText>(bytes.size(), orUniform(std::move(metrics)));
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

std::shared_ptr<FileText> readAs(std::shared_ptr<const FileText> source, TextEncoding encoding, qint64 blockLength)
{
    Q_ASSERT(blockLength > 0);
    const std::shared_ptr<const TextMetrics> metrics = source->index().characters().sharedMetrics();
    auto text = std::make_shared<FileText>(std::move(source), encoding, metrics);
    for (qint64 left = text->sourceSize(); left > 0;)
        left = text->indexMore(blockLength);
    return text;
}

std::shared_ptr<FileText> mappedTextOf(const QString &path, qint64 blockLength, std::shared_ptr<const TextMetrics> metrics)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const qint64 size = fd >= 0 ? qint64(::lseek(fd, 0, SEEK_END)) : -1;
    auto mapping = size > 0 ? FileMapping::map(fd, size) : nullptr;
    if (!mapping) {
        QTest::qFail("the file cannot be mapped", __FILE__, __LINE__);
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    auto text = std::make_shared<FileText>(std::move(mapping), orUniform(std::move(metrics)));
    for (qint64 done = 0; done < size;) {
        const qint64 n = ::pread(fd, text->blockBuffer(blockLength), std::size_t(std::min(blockLength, size - done)), done);
        if (n <= 0)
            break;
        text->commit(n);
        done += n;
    }
    ::close(fd);
    return text;
}
