#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// What the URLs dropped on the window ask for: one file of this machine to
// dump, or a message that says why nothing is dumped (a folder, several
// files at once, a file elsewhere).
class DroppedFiles
{
public:
    explicit DroppedFiles(const QList<QUrl> &urls);

    // The file to dump, as FileName holds names; empty when refused.
    QString path() const { return m_path; }
    // Why the drop is refused; empty when it is not.
    QString refusal() const { return m_refusal; }

private:
    QString m_path;
    QString m_refusal;
};
