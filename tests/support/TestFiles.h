#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Files made for one test, removed with it.
class TestFiles
{
public:
    TestFiles();
    // Writes `bytes` to a new file and returns its path.
    QString write(const QString &name, const QByteArray &bytes);
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Reads the hex cells of every data line of a dump list back into bytes.
QByteArray bytesFromDump(const QString &dumpList);
