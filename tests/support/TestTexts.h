#pragma once

#include <QByteArray>
#include <QList>
#include <memory>

class FileText;
class QString;
class TextMetrics;

// `bytes` as a dump run leaves them in a FileText: committed in blocks of the
// given lengths, the rest in blocks of `blockLength`; laid out with
// `metrics`, or every character 1 pixel wide and tab stops every 8 pixels.
std::shared_ptr<FileText> textInBlocks(const QByteArray &bytes, const QList<qint64> &blocks, qint64 blockLength = qint64(1) << 20,
                                       std::shared_ptr<const TextMetrics> metrics = nullptr);
inline std::shared_ptr<FileText> fileTextOf(const QByteArray &bytes, qint64 blockLength = qint64(1) << 20,
                                            std::shared_ptr<const TextMetrics> metrics = nullptr)
{
    return textInBlocks(bytes, {}, blockLength, std::move(metrics));
}

// The file at `path` as a run shows a file too large to copy: mapped, read
// and indexed in blocks of `blockLength`, the file closed afterwards.
std::shared_ptr<FileText> mappedTextOf(const QString &path, qint64 blockLength = qint64(1) << 20,
                                       std::shared_ptr<const TextMetrics> metrics = nullptr);
