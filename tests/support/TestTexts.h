#pragma once

#include "TextEncoding.h"

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

// The bytes of `source` read in `encoding`, as a switch of the encoding
// reads them: shared, indexed `blockLength` bytes at a time.
std::shared_ptr<FileText> readAs(std::shared_ptr<const FileText> source, TextEncoding encoding, qint64 blockLength = qint64(1) << 20);
inline std::shared_ptr<FileText> fileTextOf(const QByteArray &bytes, TextEncoding encoding, qint64 blockLength = qint64(1) << 20)
{
    return readAs(fileTextOf(bytes, blockLength), encoding, blockLength);
}

// The file at `path` as a run shows a file too large to copy: mapped, read
// and indexed in blocks of `blockLength`, the file closed afterwards.
std::shared_ptr<FileText> mappedTextOf(const QString &path, qint64 blockLength = qint64(1) << 20,
                                       std::shared_ptr<const TextMetrics> metrics = nullptr);
