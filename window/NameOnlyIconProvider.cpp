#include "NameOnlyIconProvider.h"

#include <QMimeDatabase>

namespace {

QMimeType mimeTypeByName(const QFileInfo &info)
{
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

} // namespace

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    return m_standard.icon(type);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    const QMimeType mime = mimeTypeByName(info);
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), icon(File)));
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (info.isDir() || info.isRoot())
        return QAbstractFileIconProvider::type(info); // by metadata only
    return mimeTypeByName(info).comment();
}

NameOnlyIconProvider *NameOnlyIconProvider::instance()
{
    static NameOnlyIconProvider provider;
    return &provider;
}
