#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

// The input files of one benchmark run, made once in a new folder under the
// temporary folder (TMPDIR when set) and removed with this object. Each file
// is written to disk (fsync) and then read once, so every peer timed
// afterwards finds it in the page cache. An interrupted run removes them
// too (SignalCleanup).
//
// Not to be destroyed in a forked child: a child leaves with _exit.
class BenchFiles
{
public:
    BenchFiles();
    ~BenchFiles();

    // `size` bytes from a seeded generator: every byte value equally likely.
    QString writeRandomBinary(const QString &name, qint64 size, quint64 seed);
    // `size` bytes of Shift-JIS text lines (see ShiftJisTextGenerator).
    QString writeShiftJisText(const QString &name, qint64 size, quint64 seed);
    // `size` zero bytes that take no room on disk: one hole, as truncate -s
    // makes it.
    QString writeSparse(const QString &name, qint64 size);

    QString folder() const { return m_dir.path(); }

private:
    template<typename FillChunk>
    QString write(const QString &name, qint64 size, FillChunk fillChunk);
    static void readOnce(const QString &path);

    QTemporaryDir m_dir;
};
