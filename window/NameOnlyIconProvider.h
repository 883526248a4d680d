#pragma once

#include <QFileIconProvider>

// Icons and type names for the file dialog chosen by a file's name alone.
// Qt's own provider reads a file's first bytes to tell its type, and a
// pseudo-file such as /proc/kmsg blocks that read until it has something
// to give, freezing the dialog, and gives up data that was not the dialog's
// to take. Here nothing but the file's metadata is looked at.
class NameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

    // The one the program's file dialogs share.
    static NameOnlyIconProvider *instance();

private:
    QFileIconProvider m_standard;
};
