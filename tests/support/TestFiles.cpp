#include "TestFiles.h"

#include <QFile>
#include <QTest>

TestFiles::TestFiles()
{
    QVERIFY2(m_dir.isValid(), "cannot make a temporary folder");
}

QString TestFiles::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file.fileName()));
    return file.fileName();
}

QByteArray bytesFromDump(const QString &dumpList)
{
    QByteArray bytes;
    const QStringList lines = dumpList.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        const qsizetype bar = line.indexOf(u'|');
        const qsizetype separator = line.indexOf(QStringLiteral(": "), bar);
        if (bar < 8 || separator < 0 || line.startsWith(u'-'))
            continue;
        const QStringList cells = line.mid(bar + 1, separator - bar - 1).split(u' ', Qt::SkipEmptyParts);
        for (const QString &cell : cells)
            bytes.append(char(cell.toInt(nullptr, 16)));
    }
    return bytes;
}
