#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <functional>
#include <string>

// The input files of one benchmark run, made once in a new folder under the
// temporary folder (TMPDIR when set) and removed with this object. Each file
// is written to disk (fsync) and then read once, so every peer timed
// afterwards finds it in the page cache. A run ended by a signal removes
// them too.
//
// Not to be destroyed in a forked child: a child leaves with _exit.
class BenchFiles
{
public:
    BenchFiles();
    ~BenchFiles();

    // `size` bytes from a seeded generator (RandomBytes): every byte value
    // equally likely; with `oneLine`, no CR or LF.
    QString writeRandomBinary(const QString &name, qint64 size, quint32 seed, bool oneLine = false);
    // `size` bytes of Shift-JIS text lines (see ShiftJisTextGenerator).
    QString writeShiftJisText(const QString &name, qint64 size, quint64 seed);
    // `size` zero bytes that take no room on disk: one hole, as truncate -s
    // makes it, then `tail` over its last bytes.
    QString writeSparse(const QString &name, qint64 size, const QByteArray &tail = {});
    // `size` bytes, appended to `chunk` by `fillChunk(chunk, offset, n)` a
    // chunk at a time.
    QString write(const QString &name, qint64 size, const std::function<void(std::string &, qint64, qint64)> &fillChunk);

    QString folder() const { return m_dir.path(); }

private:
    static QString readOnce(QFile &file);

    QTemporaryDir m_dir;
};
