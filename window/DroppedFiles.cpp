#include "DroppedFiles.h"

#include "FileName.h"

#include <QDir>
#include <sys/stat.h>

namespace {

bool isFolder(const QString &path)
{
    struct stat info {};
    return ::stat(FileName::toBytes(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

DroppedFiles::DroppedFiles(const QList<QUrl> &urls)
{
    if (urls.size() != 1) {
        m_refusal = QStringLiteral("ファイルは1つずつドロップしてください。一度に開けるファイルは1つです。");
        return;
    }
    const std::optional<QString> path = FileName::fromLocalUrl(urls.constFirst());
    if (!path) {
        m_refusal = QStringLiteral("「%1」はこのコンピューター上のファイルではないため、開けません。")
                        .arg(urls.constFirst().toDisplayString());
        return;
    }
    if (isFolder(*path)) {
        m_refusal = QStringLiteral("「%1」はフォルダーです。ダンプするファイルをドロップしてください。")
                        .arg(FileName::displayed(QDir::toNativeSeparators(*path)));
        return;
    }
    m_path = *path;
}
