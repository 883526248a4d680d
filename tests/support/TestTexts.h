#pragma once

#include <QByteArray>
#include <QList>
#include <memory>

class FileText;

// `bytes` as a dump run leaves them in a FileText: committed in blocks of the
// given lengths, the rest in blocks of `blockLength`.
std::shared_ptr<FileText> textInBlocks(const QByteArray &bytes, const QList<qint64> &blocks, qint64 blockLength = qint64(1) << 20);
inline std::shared_ptr<FileText> fileTextOf(const QByteArray &bytes, qint64 blockLength = qint64(1) << 20)
{
    return textInBlocks(bytes, {}, blockLength);
}
